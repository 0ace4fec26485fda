#include "platform/system_library.h"

#include <cstring>

SystemLibrary::SystemLibrary(const char* fileName) : module_(nullptr) {
  char path[MAX_PATH];
  const UINT dirLength = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(fileName);
  if (dirLength == 0 || dirLength + 1 + nameLength + 1 > MAX_PATH) return;
  path[dirLength] = '\\';
  std::memcpy(path + dirLength + 1, fileName, nameLength + 1);
  // The altered search path makes the DLL's own dependencies come from its folder as well.
  module_ = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC SystemLibrary::Find(const char* exportName) const {
  return module_ != nullptr ? GetProcAddress(module_, exportName) : nullptr;
}
