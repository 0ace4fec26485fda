// The checker end to end under the platform's real dialogs, DirectX and common dialogs, driven
// from outside as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "report/report.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "platform/directx.h"
#include "tests/e2e/desktop.h"
#include "tests/expected_texts.h"

namespace {

const std::wstring kCaption =
    L"Quorvex\u30de\u30b7\u30f3\u74b0\u5883\u60c5\u5831\u30c1\u30a7\u30c3\u30ab\u30fc  Ver.1.00";
const std::wstring kSurveyTitle =
    L"Quorvex\u30de\u30b7\u30f3\u74b0\u5883\u60c5\u5831\u30c1\u30a7\u30c3\u30ab\u30fc";
const std::wstring kSaveTitle = L"\u30d5\u30a1\u30a4\u30eb\u306e\u4fdd\u5b58";
const std::wstring kSavedTitle = L"\u6210\u529f";
const std::wstring kNotSavedTitle = L"\u30a8\u30e9\u30fc";
constexpr DWORD kStartTimeout = 120000;
constexpr DWORD kTimeout = 30000;
constexpr int kMessageTextId = 0xFFFF;

// A path of the build, given as a Unix path, as this program sees it.
std::string WindowsPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

void WriteAll(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size()) lines.push_back("<unterminated>" + text.substr(start));
  return lines;
}

bool IsMessageBox(HWND window) { return GetDlgItem(window, kMessageTextId) != nullptr; }

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

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display for windows";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    work_ = std::string(temp) + "qvx_e2e_" + std::to_string(GetCurrentProcessId()) + "_" + info->name();
    CreateDirectoryA(work_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& file : created_) DeleteFileA(file.c_str());
    RemoveDirectoryA(work_.c_str());
  }
  std::string File(const std::string& name) {
    created_.push_back(work_ + "\\" + name);
    return created_.back();
  }
  // Presses the export button, names the file in the real save dialog and returns the
  // message box that follows (null if none).
  HWND Export(desktop::Program& checker, HWND dialog, const std::wstring& path, bool confirmOverwrite) {
    desktop::Press(dialog, 1001);
    HWND save = desktop::WaitForWindow(checker.Id(), kSaveTitle, kTimeout,
                                       [](HWND w) { return !IsMessageBox(w); });
    if (save == nullptr) return nullptr;
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the checker waits for its save dialog";
    EXPECT_TRUE(desktop::ChooseFileName(save, path));
    if (confirmOverwrite) {
      HWND confirm = desktop::WaitForWindow(checker.Id(), kSaveTitle, kTimeout, IsMessageBox);
      EXPECT_NE(confirm, nullptr) << "the save dialog asks before replacing a file";
      if (confirm != nullptr) desktop::Press(confirm, IDYES);
    }
    return desktop::WaitForWindow(checker.Id(), kSavedTitle, kTimeout, IsMessageBox);
  }
  std::string work_;
  std::vector<std::string> created_;
};

TEST_F(EndToEnd, ShowsTheReportAndSavesItByteForByte) {
  const std::string expectedCard = ChosenDeviceDescription();
  desktop::Program checker(WindowsPath(QVX_CHECKER_EXE), "", work_);
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

  // A new file, then the same name over a longer file, then a Japanese name.
  const std::string saved = File("saved.txt");
  HWND box = Export(checker, dialog, std::wstring(saved.begin(), saved.end()), false);
  ASSERT_NE(box, nullptr) << "no success message";
  EXPECT_EQ(desktop::TextA(GetDlgItem(box, kMessageTextId)), expected::kSavedMessage);
  EXPECT_TRUE(IsWindowEnabled(dialog)) << "the message box has no owner";
  desktop::Press(box, IDOK);
  EXPECT_EQ(ReadAll(saved), report);

  const std::string longer = File("longer.txt");
  WriteAll(longer, std::string(report.size() * 3, 'x'));
  box = Export(checker, dialog, std::wstring(longer.begin(), longer.end()), true);
  ASSERT_NE(box, nullptr);
  desktop::Press(box, IDOK);
  EXPECT_EQ(ReadAll(longer), report);

  const std::string japanese = File("\x95\x5c.txt");  // 表.txt
  box = Export(checker, dialog, std::wstring(work_.begin(), work_.end()) + L"\\\u8868.txt", false);
  ASSERT_NE(box, nullptr);
  desktop::Press(box, IDOK);
  EXPECT_EQ(ReadAll(japanese), report);

  // Cancel: nothing is written and nothing is said.
  desktop::Press(dialog, 1001);
  HWND save = desktop::WaitForWindow(checker.Id(), kSaveTitle, kTimeout);
  ASSERT_NE(save, nullptr);
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
    desktop::Program checker(WindowsPath(QVX_CHECKER_EXE), "", work_);
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
  desktop::Program checker(WindowsPath(QVX_CHECKER_SIM_EXE), "no-adapter", work_);
  HWND box = desktop::WaitForWindow(checker.Id(), kSurveyTitle, kStartTimeout, IsMessageBox);
  ASSERT_NE(box, nullptr) << "no failure message";
  EXPECT_EQ(desktop::TextA(GetDlgItem(box, kMessageTextId)), expected::kNoDeviceMessage);
  EXPECT_FALSE(desktop::HasWindowTitled(checker.Id(), kCaption));
  desktop::Press(box, IDOK);
  EXPECT_EQ(checker.WaitForExit(kTimeout), 0xFFFFFFFFu);
}

}  // namespace
