// kernel32's exports that only some Windows have, looked up at run time so that the program still
// starts where they are missing. Tests link a simulated kernel in place of kernel.cpp.
#pragma once

#include <windows.h>

namespace kernel {

// kernel32's export `name`, or null where this Windows lacks it.
FARPROC OptionalExport(const char* name);

// Fn is the headers' own declaration, decltype(&::ExportName) (system_library.h says why).
template <typename Fn>
Fn OptionalExportAs(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(OptionalExport(name)));
}

}  // namespace kernel
