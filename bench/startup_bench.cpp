// Times program start until the dialog shows its report: the checker against the floor program,
// interleaved, and prints each run, the medians and their ratio.
// Usage: startup_bench CHECKER.exe FLOOR.exe RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD processId;
  bool needsText;
  bool ready;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  Search& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
  HWND report = GetDlgItem(window, 1000);
  if (report == nullptr) return TRUE;
  // Asked of the control itself: an edit control keeps its text to itself.
  if (search.needsText && SendMessageA(report, WM_GETTEXTLENGTH, 0, 0) == 0) return TRUE;
  search.ready = true;
  return FALSE;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId) && GetDlgItem(window, 1000) != nullptr) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

// Milliseconds from CreateProcess until the dialog is up (with its report, for the checker);
// negative when it did not come within a minute.
double TimeOne(const std::string& exe, bool needsText) {
  LARGE_INTEGER frequency, begin, now;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string commandLine = "\"" + exe + "\"";
  QueryPerformanceCounter(&begin);
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  double elapsed = -1;
  for (;;) {
    Search search{info.dwProcessId, needsText, false};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - begin.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    if (search.ready) {
      elapsed = ms;
      break;
    }
    if (ms > 60000 || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  // Close it as a user would, and wait for the end before the next run.
  EnumWindows(CloseDialog, static_cast<LPARAM>(info.dwProcessId));
  if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
    TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: startup_bench CHECKER.exe FLOOR.exe RUNS\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[3]));
  // One unmeasured run of each warms the platform's caches the same way for both.
  TimeOne(argv[1], true);
  TimeOne(argv[2], false);
  std::vector<double> checker, floor;
  for (int i = 0; i < runs; ++i) {
    const double c = TimeOne(argv[1], true);
    const double f = TimeOne(argv[2], false);
    std::printf("run %2d: checker %8.1f ms   floor %8.1f ms\n", i + 1, c, f);
    if (c < 0 || f < 0) {
      std::printf("a program did not show its dialog\n");
      return 1;
    }
    checker.push_back(c);
    floor.push_back(f);
  }
  const double mc = Median(checker);
  const double mf = Median(floor);
  std::printf(
      "median start-up to report: checker %.1f ms, floor %.1f ms, ratio %.3f (aim: at most 1.10)\n",
      mc, mf, mc / mf);
  return 0;
}
