// The checker's logic end to end, through its real dialog and message boxes, on simulated
// machines with faults behind the DirectX seam and against file system faults. Prints one line
// per case: what the user saw, the exit code, and whether anything was lost.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/checker_driver.h"
#include "tests/e2e/desktop.h"
#include "tests/expected_texts.h"
#include "tests/test_files.h"

namespace {

using namespace checker_driver;
using test_files::ReadAll;

void Print(const std::string& line) {
  std::printf("matrix: %s\n", line.c_str());
  std::fflush(stdout);
}

std::string Describe(const std::string& message) {
  if (message == expected::kNoDeviceMessage) return "message 'device enumeration failed'";
  if (message == expected::kNoDirectDrawMessage) return "message 'DirectDraw not obtained'";
  if (message == expected::kNoSoundMessage) return "message 'sound enumeration failed'";
  if (message == expected::kSavedMessage) return "message 'output succeeded'";
  if (message == expected::kNotSavedMessage) return "message 'output failed'";
  return "message '" + message + "'";
}

// One run of the simulated checker: the survey's message, or the dialog's report.
struct CheckerRun {
  std::string message;  // empty when the dialog opened
  std::string report;
  DWORD exitCode = STILL_ACTIVE;
};

CheckerRun RunMachine(const std::string& machine, const std::string& workDir) {
  CheckerRun run;
  desktop::Program checker(test_files::FromUnix(QVX_CHECKER_SIM_EXE), machine, workDir);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartTimeout) {
    if (HWND box = desktop::WaitForWindow(checker.Id(), kSurveyTitle, 0, IsMessageBox)) {
      run.message = desktop::TextA(GetDlgItem(box, kMessageTextId));
      desktop::Press(box, IDOK);
      break;
    }
    if (HWND dialog = desktop::WaitForWindow(checker.Id(), kCaption, 0)) {
      run.report = desktop::TextA(GetDlgItem(dialog, 1000));
      desktop::Press(dialog, IDCANCEL);
      break;
    }
  }
  run.exitCode = checker.WaitForExit(kTimeout);
  return run;
}

struct MachineCase {
  const char* machine;
  const char* message;  // the survey's message, or null when the dialog must open
  // Checks the report's lines; returns what is wrong, or "" when it is exactly as defined.
  std::function<std::string(const std::vector<std::string>&)> check;
};

std::string Expect(bool ok, const std::string& what) { return ok ? "" : what; }

size_t SoundLines(const std::vector<std::string>& lines) { return lines.size() - 10; }

const std::vector<MachineCase>& MachineCases() {
  static const std::vector<MachineCase> cases = {
      {"no-adapter", expected::kNoDeviceMessage, nullptr},
      {"adapter-create-fails", nullptr,
       [](const auto& l) { return Expect(l[1] == "\tSecond Card", "not the adapter that opened"); }},
      {"survey-create-fails", expected::kNoDirectDrawMessage, nullptr},
      {"no-direct3d", expected::kNoDeviceMessage, nullptr},
      {"8-bit-modes", expected::kNoDeviceMessage, nullptr},
      {"20-devices", nullptr,
       [](const auto& l) { return Expect(l[1] == "\tSimulated Card", "wrong card"); }},
      {"60-modes", nullptr,
       [](const auto& l) { return Expect(l[1] == "\tSimulated Card", "wrong card"); }},
      {"unterminated-description", nullptr,
       [](const auto& l) {
         return Expect(l[1] == "\t" + std::string(512, 'D'), "description not cut at its field");
       }},
      {"version-600", nullptr,
       [](const auto& l) {
         std::string digits;
         for (int i = 0; i < 511; ++i) digits += static_cast<char>('0' + i % 10);
         return Expect(l[4] == "\t" + digits, "version not cut to 511 bytes");
       }},
      {"version-empty", nullptr,
       [](const auto& l) { return Expect(l[4] == "\t" && l[5] == "\t", "version not empty"); }},
      {"version-missing", nullptr,
       [](const auto& l) { return Expect(l[4] == "\t" && l[5] == "\t", "version not empty"); }},
      {"25-sound-devices", nullptr,
       [](const auto& l) {
         return Expect(SoundLines(l) == 21 && l[7] == "\tPrimary Sound Driver" &&
                           l[27] == "\tSpeakers 20",
                       "not the primary driver and 20 devices");
       }},
      {"4k-sound-description", nullptr,
       [](const auto& l) {
         return Expect(SoundLines(l) == 3 && l[9] == "\t" + std::string(4096, 'S'),
                       "long description not whole");
       }},
      {"sound-fails", expected::kNoSoundMessage, nullptr},
  };
  return cases;
}

class FaultMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display for windows";
    work_ = test_files::NewFolder("matrix");
    ASSERT_FALSE(work_.empty());
  }
  std::string work_;
};

TEST_F(FaultMatrix, SimulatedMachines) {
  for (const MachineCase& c : MachineCases()) {
    SCOPED_TRACE(c.machine);
    const CheckerRun run = RunMachine(c.machine, work_);
    std::string problem;
    std::vector<std::string> lines;
    if (c.message != nullptr) {
      if (run.message != c.message) problem = "expected " + Describe(c.message);
      if (run.exitCode != 0xFFFFFFFFu) problem += " exit code not -1";
    } else {
      lines = Lines(run.report);
      if (!run.message.empty()) {
        problem = "unexpected " + Describe(run.message);
      } else if (lines.size() < 10 || lines.back().rfind("\t", 0) != 0 ||
                 lines.back().find("MB") == std::string::npos) {
        problem = "report malformed";
      } else {
        problem = c.check(lines);
      }
      if (run.exitCode != 0) problem += " exit code not 0";
    }
    const std::string seen = run.message.empty()
                                 ? "dialog with a report of " + std::to_string(lines.size()) + " lines"
                                 : Describe(run.message);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(run.exitCode));
    Print(std::string("machine ") + c.machine + " | saw " + seen + " | exit " + code + " | " +
          (problem.empty() ? "as defined, nothing lost" : "WRONG: " + problem));
    EXPECT_EQ(problem, "");
  }
}

TEST_F(FaultMatrix, FileSystemFaults) {
  desktop::Program checker(test_files::FromUnix(QVX_CHECKER_SIM_EXE), "normal", work_);
  HWND dialog = desktop::WaitForWindow(checker.Id(), kCaption, kStartTimeout);
  ASSERT_NE(dialog, nullptr);
  const std::string report = desktop::TextA(GetDlgItem(dialog, 1000));

  struct FileCase {
    std::string name;
    std::wstring path;
    std::string before;    // what the target held before; "<missing>" when it did not exist
    bool mustSave;
    std::function<void()> release;  // undoes what the case set up
  };
  std::vector<FileCase> cases;
  auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };

  if (const char* readOnly = std::getenv("QVX_READONLY_FILE")) {
    cases.push_back({"read-only target", wide(readOnly), ReadAll(readOnly), false,
                     nullptr});
  } else {
    Print("file read-only target | skipped: the test environment could not make one");
  }
  cases.push_back({"missing folder", wide(work_ + "\\missing\\r.txt"), "<missing>", false,
                   nullptr});

  const std::string held = work_ + "\\held.txt";
  test_files::WriteAll(held, "keep me");
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  cases.push_back({"target held open by another program", wide(held), "keep me", false,
                   [holder] { CloseHandle(holder); }});

  // A full disk: the file can be made, but not a byte written into it. (Z:\dev\full cannot be
  // named through the save dialog, which gives a name without extension its ".txt".)
  const char* small = std::getenv("QVX_SMALL_DISK_DIR");
  ULARGE_INTEGER freeBytes = {};
  const std::string filler = small != nullptr ? std::string(small) + "\\filler.bin" : "";
  if (small != nullptr && GetDiskFreeSpaceExA(small, &freeBytes, nullptr, nullptr) &&
      test_files::WriteAll(filler, std::string(static_cast<size_t>(freeBytes.QuadPart), 'f'))) {
    cases.push_back({"full disk", wide(std::string(small) + "\\report.txt"), "<missing>", false,
                     [filler] { DeleteFileA(filler.c_str()); }});
  } else {
    Print("file full disk | skipped: the test environment could not make a small disk");
  }

  // A path of 259 characters, the most a name can have.
  std::string deep = work_ + "\\";
  const size_t fill = 259 - deep.size() - std::string("\\r.txt").size();
  std::string folder = deep + std::string(fill > 120 ? 120 : fill, 'd');
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string longPath = folder + "\\" + std::string(259 - folder.size() - 5, 'n') + ".txt";
  cases.push_back({"259-character path", wide(longPath), "<missing>", true, nullptr});

  cases.push_back({"name with \xe8\xa1\xa8 (0x95 0x5C)", wide(work_) + L"\\\u8868.txt", "<missing>", true,
                   nullptr});

  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ExportResult result = Export(checker.Id(), dialog, c.path);
    if (c.release) c.release();
    std::string ansiPath(c.path.size() * 2 + 1, '\0');
    ansiPath.resize(static_cast<size_t>(WideCharToMultiByte(
        CP_ACP, 0, c.path.c_str(), static_cast<int>(c.path.size()), ansiPath.data(),
        static_cast<int>(ansiPath.size()), nullptr, nullptr)));
    const std::string after = ReadAll(ansiPath);

    std::string seen = result.saveDialogRefused ? "the save dialog refused the name ('" +
                                                      result.text + "')"
                                                : Describe(result.text);
    std::string problem;
    if (c.mustSave) {
      if (result.title != kSavedTitle) problem = "not saved";
      if (after != report) problem += " file differs from the report";
    } else {
      if (!result.saveDialogRefused && result.title != kNotSavedTitle) problem = "no failure message";
      // A failed export keeps what the target held; where there was nothing, a failed write
      // may leave the empty file it created.
      if (after != c.before && !(c.before == "<missing>" && after.empty())) {
        problem += " the target holds something else";
      }
    }
    EXPECT_EQ(problem, "");
    EXPECT_TRUE(IsWindowEnabled(dialog));
    const std::string state = c.mustSave ? (after == report ? "file holds exactly the report"
                                                            : "file wrong")
                                         : (after == c.before  ? "target unchanged"
                                            : after == "" ? "target created empty"
                                                          : "target changed");
    Print("file " + c.name + " | saw " + seen + " | " + state + " | " +
          (problem.empty() ? "as defined, nothing lost" : "WRONG: " + problem));
    DeleteFileA(ansiPath.c_str());
  }
  RemoveDirectoryA(folder.c_str());
  DeleteFileA(held.c_str());

  desktop::Press(dialog, IDCANCEL);
  const DWORD exitCode = checker.WaitForExit(kTimeout);
  EXPECT_EQ(exitCode, 0u);
  Print("after the file faults the checker closed with exit code " + std::to_string(exitCode));
  RemoveDirectoryA(work_.c_str());
}

}  // namespace
