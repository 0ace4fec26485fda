// A check of the shipped program that needs no test framework, for platforms where only the
// program and this driver can run (the 32-bit product under emulation): the dialog opens with a
// report of the right structure, and Escape ends the program with exit code 0.
// Usage: product_check QvxCheck.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/checker_driver.h"
#include "tests/e2e/desktop.h"

using namespace checker_driver;

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  std::fflush(stdout);
  if (!ok) ++g_failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: product_check QvxCheck.exe\n");
    return 2;
  }
  constexpr DWORD kPatient = 15 * 60 * 1000;  // emulation is slow
  desktop::Program checker(argv[1], "", "");
  Check(checker.Started(), "the program starts");
  HWND dialog = nullptr;
  const DWORD start = GetTickCount();
  while (dialog == nullptr && GetTickCount() - start < kPatient) {
    dialog = desktop::WaitForWindow(checker.Id(), kCaption, 5000);
    if (dialog == nullptr && checker.WaitForExit(0) != STILL_ACTIVE) break;  // it ended early
  }
  Check(dialog != nullptr, "the checker dialog opens with its caption");
  if (dialog == nullptr) return 1;

  const std::vector<std::string> lines = Lines(desktop::TextA(GetDlgItem(dialog, 1000)));
  Check(lines.size() >= 10, "the report has at least 10 lines (" + std::to_string(lines.size()) + ")");
  if (lines.size() >= 10) {
    Check(lines[0] == "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x81\x84",
          "line 1 is the video card heading");
    Check(lines[1].rfind("\t", 0) == 0 && lines[2].empty(), "line 2 is a value, line 3 empty");
    Check(lines[4].rfind("\t", 0) == 0 && lines[5] == "\t", "line 5 is the version, line 6 a tab");
    Check(lines[lines.size() - 3].empty(), "an empty line before the memory heading");
    const std::string& memory = lines.back();
    Check(memory.size() > 4 && memory[0] == '\t' && memory.substr(memory.size() - 2) == "MB" &&
              memory[memory.size() - 4] == '.',
          "the last line is the memory figure: " + memory.substr(1));
  }

  PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  const DWORD exitCode = checker.WaitForExit(kPatient);
  Check(exitCode == 0, "Escape ends the program with exit code 0 (got " + std::to_string(exitCode) + ")");
  std::printf("%s\n", g_failures == 0 ? "PASSED" : "FAILED");
  return g_failures == 0 ? 0 : 1;
}
