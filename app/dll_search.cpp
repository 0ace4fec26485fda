#include "app/dll_search.h"

#include "platform/kernel.h"

// The system loads DLLs by bare name while the program runs (when windows are drawn, when the save
// dialog and the shell open), and would look in the program's folder and the current directory
// first. Both functions are looked up at run time, so that Windows without them still starts the
// program.
void RestrictDllSearch() {
  const auto setDefault =
      kernel::OptionalExportAs<decltype(&::SetDefaultDllDirectories)>("SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  const auto setDirectory =
      kernel::OptionalExportAs<decltype(&::SetDllDirectoryA)>("SetDllDirectoryA");
  if (setDirectory != nullptr) setDirectory("");  // "" takes the current directory out
}
