#include "platform/memory.h"

#include <windows.h>

namespace memory {

std::uint64_t TotalPhysicalBytes() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullTotalPhys;
}

}  // namespace memory
