// The checker end to end under the platform's real dialogs, DirectX and common dialogs, driven
// from outside as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/directx.h"
#include "report/report.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "tests/e2e/checker_driver.h"
#include "tests/e2e/desktop.h"
#include "tests/expected_texts.h"
#include "tests/test_files.h"

namespace {

using namespace checker_driver;
using test_files::ReadAll;

// The description DirectDraw gives for the device the checker chooses.
std::string ChosenDeviceDescription() {
  EnumerateDisplayAdapters();
  RenderDeviceInfo* device = nullptr;
  if (!SelectDefaultDevice(&device)) return "<no device>";
  IDirectDraw7* directDraw = nullptr;
  if (dx::CreateDirectDraw(device->DriverGuidPtr, reinterpret_cast<void**>(&directDraw),
                           IID_IDirectDraw7, nullptr) != DD_OK) {
    return "<no DirectDraw>";
  }
  DDDEVICEIDENTIFIER2 identifier = {};
  directDraw->GetDeviceIdentifier(&identifier, 0);
  directDraw->Release();
  return std::string(DescriptionText(identifier.szDescription));
}

std::uint64_t TotalMemory() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  return status.ullTotalPhys;
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display for windows";
    work_ = test_files::NewFolder("e2e");
    ASSERT_FALSE(work_.empty());
  }
  void TearDown() override {
    for (const std::string& file : created_) DeleteFileA(file.c_str());
    RemoveDirectoryA(work_.c_str());
  }
  std::string File(const std::string& name) {
    created_.push_back(work_ + "\\" + name);
    return created_.back();
  }
  void ExpectSaved(const ExportResult& result) {
    EXPECT_EQ(result.title, kSavedTitle);
    EXPECT_EQ(result.text, expected::kSavedMessage);
  }
  std::string work_;
  std::vector<std::string> created_;
};

TEST_F(EndToEnd, ShowsTheReportAndSavesItByteForByte) {
  const std::string expectedCard = ChosenDeviceDescription();
  desktop::Program checker(test_files::FromUnix(QVX_CHECKER_EXE), "", work_);
  ASSERT_TRUE(checker.Started());
  HWND dialog = desktop::WaitForWindow(checker.Id(), kCaption, kStartTimeout);
  ASSERT_NE(dialog, nullptr) << "the checker dialog did not open";

  const std::string report = desktop::TextA(GetDlgItem(dialog, 1000));
  const std::vector<std::string> lines = Lines(report);
  ASSERT_GE(lines.size(), 10u) << report;
  EXPECT_EQ(lines[0], "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x81\x84");
  EXPECT_EQ(lines[1], "\t" + expectedCard);
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[4].substr(0, 1), "\t");
  EXPECT_EQ(lines[5], "\t");
  for (size_t i = 7; i + 3 < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, 1), "\t") << i;
  EXPECT_EQ(lines[lines.size() - 3], "");
  EXPECT_EQ(lines.back(), "\t" + FormatMemoryMiB(TotalMemory()) + "MB");
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, 1000), GWL_STYLE) & ES_READONLY, ES_READONLY);

  // A new file; the same over a longer file, after the save dialog's question; a Japanese name.
  const std::string saved = File("saved.txt");
  ExportResult result = Export(checker.Id(), dialog, Wide(saved));
  ExpectSaved(result);
  EXPECT_FALSE(result.askedToReplace);
  EXPECT_EQ(ReadAll(saved), report);
  EXPECT_TRUE(IsWindowEnabled(dialog));

  const std::string longer = File("longer.txt");
  test_files::WriteAll(longer, std::string(report.size() * 3, 'x'));
  result = Export(checker.Id(), dialog, Wide(longer));
  ExpectSaved(result);
  EXPECT_TRUE(result.askedToReplace);
  EXPECT_EQ(ReadAll(longer), report);

  const std::string japanese = File("\x95\x5c.txt");  // 表.txt
  ExpectSaved(Export(checker.Id(), dialog, Wide(work_) + L"\\\u8868.txt"));
  EXPECT_EQ(ReadAll(japanese), report);

  // Cancel: nothing is written and nothing is said.
  desktop::Press(dialog, 1001);
  HWND save = desktop::WaitForWindow(checker.Id(), kSaveTitle, kTimeout);
  ASSERT_NE(save, nullptr);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the checker waits for its save dialog";
  desktop::Press(save, IDCANCEL);
  desktop::Pause(1500);
  EXPECT_FALSE(desktop::HasWindowTitled(checker.Id(), kSavedTitle));
  EXPECT_FALSE(desktop::HasWindowTitled(checker.Id(), kNotSavedTitle));
  EXPECT_EQ(ReadAll(work_ + "\\QvxCheck.txt"), "<missing>");
  EXPECT_TRUE(IsWindowEnabled(dialog));

  // Escape, as the dialog manager turns it into the cancel command.
  PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(checker.WaitForExit(kTimeout), 0u);
}

TEST_F(EndToEnd, TheCloseBoxAndTheCloseButtonEndWithExitCodeZero) {
  for (const bool closeBox : {true, false}) {
    desktop::Program checker(test_files::FromUnix(QVX_CHECKER_EXE), "", work_);
    HWND dialog = desktop::WaitForWindow(checker.Id(), kCaption, kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    if (closeBox) {
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(checker.WaitForExit(kTimeout), 0u) << (closeBox ? "close box" : "close button");
  }
}

TEST_F(EndToEnd, AMachineWithoutAUsableAdapterSaysSoAndExitsWithMinusOne) {
  desktop::Program checker(test_files::FromUnix(QVX_CHECKER_SIM_EXE), "no-adapter", work_);
  HWND box = desktop::WaitForWindow(checker.Id(), kSurveyTitle, kStartTimeout, IsMessageBox);
  ASSERT_NE(box, nullptr) << "no failure message";
  EXPECT_EQ(desktop::TextA(GetDlgItem(box, kMessageTextId)), expected::kNoDeviceMessage);
  EXPECT_FALSE(desktop::HasWindowTitled(checker.Id(), kCaption));
  desktop::Press(box, IDOK);
  EXPECT_EQ(checker.WaitForExit(kTimeout), 0xFFFFFFFFu);
}

}  // namespace
