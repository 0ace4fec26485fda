// Entry points of DLLs loaded from the Windows system directory only.
#pragma once

#include <windows.h>

// The export `exportName` of the system DLL `fileName` (a bare name such as "ddraw.dll"), or
// null when either is missing. The DLL is loaded by its full path in the system directory, never
// found through the executable's folder or the current directory, so a DLL of the same name
// planted beside the program is not picked up. It stays loaded until the process ends: nothing
// unloads it, since unloading DirectX or the common dialogs during exit gains nothing and is a
// known cause of crashes at exit.
FARPROC SystemExport(const char* fileName, const char* exportName);

// Fn is the headers' own declaration, decltype(&::ExportName), never a type written by hand: one
// without the function's calling convention (WINAPI, __stdcall) builds without a warning and
// crashes the program.
template <typename Fn>
Fn SystemExportAs(const char* fileName, const char* exportName) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemExport(fileName, exportName)));
}
