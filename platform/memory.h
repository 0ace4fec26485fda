// Physical memory of the machine.
#pragma once

#include <cstdint>

namespace memory {

// Total physical memory in bytes, the full 64-bit figure (GlobalMemoryStatusEx): the 32-bit
// GlobalMemoryStatus caps it at 2 or 4 GiB and would misstate any current machine.
std::uint64_t TotalPhysicalBytes();

}  // namespace memory
