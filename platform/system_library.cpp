#include "platform/system_library.h"

#include <cstring>

FARPROC SystemExport(const char* fileName, const char* exportName) {
  char path[MAX_PATH];
  const UINT dirLength = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(fileName);
  if (dirLength == 0 || dirLength + 1 + nameLength + 1 > MAX_PATH) return nullptr;
  path[dirLength] = '\\';
  std::memcpy(path + dirLength + 1, fileName, nameLength + 1);
  // The altered search path makes the DLL's own dependencies come from its folder as well.
  const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module != nullptr ? GetProcAddress(module, exportName) : nullptr;
}
