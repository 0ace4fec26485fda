// Start-up, the checker dialog and the export, on a simulated machine and user interface.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/checker_dialog.h"
#include "app/export.h"
#include "app/res/resource.h"
#include "app/survey_machine.h"
#include "report/report.h"
#include "report/store.h"
#include "survey/adapters.h"
#include "tests/expected_texts.h"
#include "tests/fakes/fake_directx.h"
#include "tests/fakes/fake_ui.h"
#include "tests/test_files.h"

namespace {

using test_files::Beside;
using test_files::ReadAll;

const HWND kDialog = reinterpret_cast<HWND>(0xD1A1);
const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(0x400000);

bool Logged(const std::string& entry) {
  const auto& log = fake_dx::Log();
  return std::find(log.begin(), log.end(), entry) != log.end();
}

bool LoggedStartingWith(const std::string& prefix) {
  const auto& log = fake_dx::Log();
  return std::any_of(log.begin(), log.end(),
                     [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

// Stands in for the user: the dialog opens, then Escape.
INT_PTR OpenThenEscape(DLGPROC proc) {
  proc(kDialog, WM_INITDIALOG, 0, 0);
  proc(kDialog, WM_COMMAND, IDCANCEL, 0);
  return 1;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_dx::Reset();
    fake_ui::Reset();
    std::memset(g_RenderDevices, 0, sizeof g_RenderDevices);
    g_RenderDeviceCount = 0;
    std::memset(&g_DisplayDrivers[0].Identifier, 0, sizeof(DDDEVICEIDENTIFIER2));
    std::memset(&g_DisplayDrivers[0].HostIdentifier, 0, sizeof(DDDEVICEIDENTIFIER2));
    g_DisplayDrivers[0].DriverVersion.clear();
    g_SoundDriverText.clear();
    std::memset(g_SoundDeviceGuids, 0, sizeof g_SoundDeviceGuids);
    g_SoundDeviceCount = 0;
    g_ReportText.clear();

    fake_dx::Adapter card = fake_dx::Primary("Fake Display", true);
    card.devices = {{"HAL", "Direct3D HAL",
                     fake_dx::DeviceDesc(IID_IDirect3DHALDevice, true, DDBD_16 | DDBD_32)}};
    std::strcpy(card.identifier.szDescription, "Fake Card 9000");
    std::strcpy(card.identifier.szDriver, Beside("version_ja.dll").c_str());
    std::strcpy(card.hostIdentifier.szDescription, "Host Card");
    fake_dx::Get().adapters = {card};
    fake_dx::SoundDevice primarySound;
    primarySound.description = "Primary Sound Driver";
    fake_dx::SoundDevice speakers;
    speakers.hasGuid = true;
    speakers.guid = fake_dx::MakeGuid(1);
    speakers.description = "Speakers";
    fake_dx::Get().soundDevices = {primarySound, speakers};
    fake_ui::Get().dialogScript = OpenThenEscape;
  }
  void TearDown() override { EXPECT_EQ(fake_dx::LiveObjects(), 0); }

  void ExpectOnlySurveyMessage(const char* message) {
    ASSERT_EQ(fake_ui::Get().messages.size(), 1u);
    const fake_ui::MessageCall& box = fake_ui::Get().messages[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, message);
    EXPECT_EQ(box.title, expected::kSurveyTitle);
    EXPECT_EQ(box.flags, 0x10u);
    EXPECT_TRUE(fake_ui::Get().dialogs.empty()) << "no window after a failed survey";
  }
};

TEST_F(AppTest, NoUsableDeviceEndsWithTheEnumerationMessage) {
  fake_dx::Get().adapters[0].modes = {fake_dx::Mode(640, 480, 8)};
  EXPECT_EQ(RunChecker(kInstance), -1);
  ExpectOnlySurveyMessage(expected::kNoDeviceMessage);
  EXPECT_EQ(std::count(fake_dx::Log().begin(), fake_dx::Log().end(), "create Fake Display"), 1)
      << "only the enumeration's own create";
  EXPECT_FALSE(LoggedStartingWith("identifier"));
  EXPECT_FALSE(Logged("enumerate sound"));

  SetUp();
  fake_dx::Get().adapters.clear();
  EXPECT_EQ(RunChecker(kInstance), -1);
  ExpectOnlySurveyMessage(expected::kNoDeviceMessage);
}

TEST_F(AppTest, AFailedCreateEndsWithTheDirectXMessage) {
  fake_dx::Get().adapters[0].createResults = {DD_OK, DDERR_NODIRECTDRAWHW};
  EXPECT_EQ(RunChecker(kInstance), -1);
  ExpectOnlySurveyMessage(expected::kNoDirectDrawMessage);
  EXPECT_TRUE(Logged("create Fake Display failed"));
  EXPECT_FALSE(LoggedStartingWith("identifier"));
  EXPECT_FALSE(Logged("enumerate sound"));
  EXPECT_TRUE(g_DisplayDrivers[0].DriverVersion.empty()) << "no version file read";
}

TEST_F(AppTest, AFailedSoundEnumerationComesAfterTheDisplayRecordAndTheRelease) {
  fake_dx::Get().soundResult = DSERR_NODRIVER;
  EXPECT_EQ(RunChecker(kInstance), -1);
  ExpectOnlySurveyMessage(expected::kNoSoundMessage);
  const std::vector<std::string> tail(fake_dx::Log().end() - 5, fake_dx::Log().end());
  const std::vector<std::string> expectedTail = {"create Fake Display", "identifier 0",
                                                 "identifier 1", "release ddraw Fake Display",
                                                 "enumerate sound"};
  EXPECT_EQ(tail, expectedTail);
  EXPECT_STREQ(g_DisplayDrivers[0].Identifier.szDescription, "Fake Card 9000");
  EXPECT_TRUE(g_ReportText.empty());
}

TEST_F(AppTest, ASuccessfulSurveyFillsTheStoreAndOpensTheDialog) {
  EXPECT_EQ(RunChecker(kInstance), 0);
  EXPECT_TRUE(fake_ui::Get().messages.empty());
  const DisplayDriverInfo& record = g_DisplayDrivers[0];
  EXPECT_STREQ(record.Identifier.szDescription, "Fake Card 9000");
  EXPECT_STREQ(record.HostIdentifier.szDescription, "Host Card");
  EXPECT_EQ(record.DriverVersion, "6.14.10.0411 (ja)");
  EXPECT_EQ(g_SoundDriverText, "\tPrimary Sound Driver\r\n\tSpeakers\r\n");
  EXPECT_EQ(g_SoundDeviceCount, 1u);
  for (int slot = 1; slot < kDisplayDriverSlots; ++slot) {
    EXPECT_EQ(g_DisplayDrivers[slot].Identifier.szDescription[0], '\0');
  }

  ASSERT_EQ(fake_ui::Get().dialogs.size(), 1u);
  const fake_ui::DialogCall& dialog = fake_ui::Get().dialogs[0];
  EXPECT_EQ(dialog.instance, kInstance);
  EXPECT_EQ(dialog.templateId, IDD_CHECKER);
  EXPECT_EQ(dialog.owner, fake_ui::Get().desktop);
  EXPECT_EQ(dialog.proc, &CheckerDlgProc);
  EXPECT_EQ(dialog.init, 0);
  EXPECT_EQ(g_ReportText, ComposeReport("Fake Card 9000", "6.14.10.0411 (ja)",
                                        g_SoundDriverText, [] {
                                          MEMORYSTATUSEX status = {};
                                          status.dwLength = sizeof status;
                                          GlobalMemoryStatusEx(&status);
                                          return status.ullTotalPhys;
                                        }()));
}

TEST_F(AppTest, AnEmptySoundListOrAMissingVersionStillOpensTheDialog) {
  fake_dx::Get().soundDevices.clear();
  std::strcpy(fake_dx::Get().adapters[0].identifier.szDriver, "no_such_driver.dll");
  EXPECT_EQ(RunChecker(kInstance), 0);
  EXPECT_EQ(fake_ui::Get().dialogs.size(), 1u);
  EXPECT_TRUE(g_SoundDriverText.empty());
  EXPECT_EQ(g_DisplayDrivers[0].DriverVersion, "");

  // A driver name that fills its whole field without a terminating zero.
  SetUp();
  std::memset(fake_dx::Get().adapters[0].identifier.szDriver, 'A', MAX_DDDEVICEID_STRING);
  EXPECT_EQ(RunChecker(kInstance), 0);
  EXPECT_EQ(g_DisplayDrivers[0].DriverVersion, "");
}

TEST_F(AppTest, TheExitCodeIsZeroHoweverTheDialogEnds) {
  for (auto script : {+[](DLGPROC proc) -> INT_PTR {
                        proc(kDialog, WM_INITDIALOG, 0, 0);
                        proc(kDialog, WM_COMMAND, IDOK, 0);
                        return 1;
                      },
                      +[](DLGPROC) -> INT_PTR { return -1; }}) {
    SetUp();
    fake_ui::Get().dialogScript = script;
    EXPECT_EQ(RunChecker(kInstance), 0);
  }
}

TEST_F(AppTest, TheDialogComposesOnceClosesOnCloseOrEscapeAndIgnoresTheRest) {
  g_SoundDriverText = "\tPrimary\r\n";
  EXPECT_EQ(CheckerDlgProc(kDialog, WM_INITDIALOG, 0, 0), TRUE);
  ASSERT_EQ(fake_ui::Get().itemTexts.size(), 1u);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].dialog, kDialog);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].controlId, IDC_REPORT);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].text, g_ReportText);

  for (WPARAM ignored : {WPARAM(0), WPARAM(IDC_REPORT), MAKEWPARAM(IDC_REPORT, EN_SETFOCUS), WPARAM(3)}) {
    EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, ignored, 0), FALSE);
  }
  EXPECT_EQ(CheckerDlgProc(kDialog, WM_CLOSE, 0, 0), FALSE);
  EXPECT_TRUE(fake_ui::Get().closedDialogs.empty());
  EXPECT_TRUE(fake_ui::Get().saves.empty());
  EXPECT_EQ(fake_ui::Get().itemTexts.size(), 1u) << "the report is composed once";

  for (WPARAM close : {WPARAM(IDOK), WPARAM(IDCANCEL), MAKEWPARAM(IDCANCEL, BN_CLICKED)}) {
    fake_ui::Get().closedDialogs.clear();
    EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, close, 0), FALSE);
    ASSERT_EQ(fake_ui::Get().closedDialogs.size(), 1u);
    EXPECT_EQ(fake_ui::Get().closedDialogs[0].first, kDialog);
    EXPECT_EQ(fake_ui::Get().closedDialogs[0].second, 1);
  }
}

TEST_F(AppTest, TheExportAsksWithTheExactSaveRequestAndProposesTheNameAfresh) {
  fake_ui::Get().saveResult = FALSE;
  EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, IDC_EXPORT, 0), FALSE);
  EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, IDC_EXPORT, 0), FALSE);
  EXPECT_TRUE(fake_ui::Get().closedDialogs.empty());
  EXPECT_TRUE(fake_ui::Get().messages.empty()) << "cancel shows nothing";
  ASSERT_EQ(fake_ui::Get().saves.size(), 2u);
  for (const fake_ui::SaveCall& save : fake_ui::Get().saves) {
    const OPENFILENAMEA& r = save.request;
    EXPECT_EQ(r.lStructSize, OPENFILENAME_SIZE_VERSION_400A);
    EXPECT_EQ(r.hwndOwner, kDialog);
    EXPECT_EQ(r.hInstance, nullptr);
    EXPECT_EQ(save.filter, std::string(expected::kFilter, sizeof expected::kFilter));
    EXPECT_EQ(r.lpstrCustomFilter, nullptr);
    EXPECT_EQ(r.nMaxCustFilter, 0u);
    EXPECT_EQ(r.nFilterIndex, 1u);
    EXPECT_EQ(save.proposedName, "QvxCheck.txt");
    EXPECT_TRUE(save.bufferZeroAfterName);
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_EQ(r.lpstrFileTitle, nullptr);
    EXPECT_EQ(r.nMaxFileTitle, 0u);
    EXPECT_EQ(r.lpstrInitialDir, nullptr);
    EXPECT_EQ(save.title, expected::kSaveTitle);
    EXPECT_EQ(r.Flags, 6u);
    EXPECT_EQ(r.nFileOffset, 0);
    EXPECT_EQ(r.nFileExtension, 0);
    EXPECT_EQ(save.defaultExtension, "txt");
    EXPECT_EQ(r.lCustData, 0);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_EQ(r.lpTemplateName, nullptr);
  }
}

class ExportTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    dir_ = test_files::NewFolder("export") + "\\";
    target_ = dir_ + "report.txt";
    DeleteFileA(target_.c_str());
    fake_ui::Get().saveResult = TRUE;
    fake_ui::Get().savePath = target_;
  }
  void TearDown() override {
    DeleteFileA(target_.c_str());
    RemoveDirectoryA(dir_.c_str());
    AppTest::TearDown();
  }
  void ExpectOneMessage(const char* text, const char* title, UINT flags) {
    ASSERT_EQ(fake_ui::Get().messages.size(), 1u);
    EXPECT_EQ(fake_ui::Get().messages[0].owner, nullptr);
    EXPECT_EQ(fake_ui::Get().messages[0].text, text);
    EXPECT_EQ(fake_ui::Get().messages[0].title, title);
    EXPECT_EQ(fake_ui::Get().messages[0].flags, flags);
  }
  std::string dir_;
  std::string target_;
};

TEST_F(ExportTest, SavesExactlyTheReportAndSaysSo) {
  g_ReportText = std::string("\x81\x83report\r\n\tline\r\n", 16);
  ExportReport(kDialog);
  EXPECT_EQ(ReadAll(target_), g_ReportText);
  ExpectOneMessage(expected::kSavedMessage, expected::kSavedTitle, MB_OK);
}

TEST_F(ExportTest, ATargetThatCannotBeOpenedIsLeftAloneAndReported) {
  g_ReportText = "report\r\n";
  fake_ui::Get().savePath = dir_ + "missing\\report.txt";
  ExportReport(kDialog);
  ExpectOneMessage(expected::kNotSavedMessage, expected::kNotSavedTitle, MB_ICONERROR);
  EXPECT_EQ(ReadAll(fake_ui::Get().savePath), "<missing>");
}

TEST_F(ExportTest, AFailedWriteIsReportedAndTheFileReleased) {
  g_ReportText.clear();  // an empty report makes the write refuse
  ExportReport(kDialog);
  ExpectOneMessage(expected::kNotSavedMessage, expected::kNotSavedTitle, MB_ICONERROR);
  EXPECT_EQ(ReadAll(target_), "");
  EXPECT_TRUE(DeleteFileA(target_.c_str())) << "the writer let go of the file";
}

}  // namespace
