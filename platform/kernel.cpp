#include "platform/kernel.h"

namespace kernel {

FARPROC OptionalExport(const char* name) {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  return kernel32 != nullptr ? GetProcAddress(kernel32, name) : nullptr;
}

}  // namespace kernel
