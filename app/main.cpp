#include <windows.h>

#include "app/survey_machine.h"

namespace {

// Players run the checker from a Downloads folder, where a web page can drop DLLs as well. The
// system loads DLLs by bare name while the program runs (when windows are drawn, when the save
// dialog and the shell open), and would look in the program's folder and the current directory
// first. Where the system can, every such load is kept to the system directory; where it only
// offers SetDllDirectoryA, the current directory at least leaves the search. Both are looked up at
// run time, so Windows 2000, which has neither, still starts the program (and changes nothing).
void RestrictDllSearch() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  const auto setDefault = reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  const auto setDirectory = reinterpret_cast<decltype(&::SetDllDirectoryA)>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDirectory != nullptr) setDirectory("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  RestrictDllSearch();
  return RunChecker(instance);
}
