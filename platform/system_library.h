// Loads a DLL from the Windows system directory only.
#pragma once

#include <windows.h>

// Owns one module handle for the life of the process part that needs it.
class SystemLibrary {
 public:
  // fileName is a bare name such as "ddraw.dll". The DLL is loaded by its full path in the
  // system directory, never found through the executable's folder or the current directory,
  // so a DLL of the same name planted beside the program is not picked up.
  explicit SystemLibrary(const char* fileName);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // The named export, or null when the DLL or the export is missing.
  FARPROC Find(const char* exportName) const;

  template <typename Fn>
  Fn FindAs(const char* exportName) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Find(exportName)));
  }

 private:
  HMODULE module_;
};
