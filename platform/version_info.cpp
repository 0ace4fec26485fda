#include "platform/version_info.h"

#include "platform/system_library.h"

namespace version_info {

DWORD InfoSize(const char* fileName) {
  static const auto size = SystemExportAs<decltype(&::GetFileVersionInfoSizeA)>(
      "version.dll", "GetFileVersionInfoSizeA");
  DWORD ignored = 0;
  return size != nullptr ? size(fileName, &ignored) : 0;
}

BOOL ReadInfo(const char* fileName, DWORD size, void* block) {
  static const auto read =
      SystemExportAs<decltype(&::GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
  return read != nullptr ? read(fileName, 0, size, block) : FALSE;
}

BOOL QueryValue(const void* block, const char* subBlock, void** value, UINT* length) {
  static const auto query =
      SystemExportAs<decltype(&::VerQueryValueA)>("version.dll", "VerQueryValueA");
  return query != nullptr ? query(block, subBlock, value, length) : FALSE;
}

}  // namespace version_info
