#include "platform/version_info.h"

#include "platform/system_library.h"

namespace version_info {

DWORD InfoSize(const char* fileName) {
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  static const auto size = SystemExportAs<SizeFn>("version.dll", "GetFileVersionInfoSizeA");
  DWORD ignored = 0;
  return size != nullptr ? size(fileName, &ignored) : 0;
}

BOOL ReadInfo(const char* fileName, DWORD size, void* block) {
  using ReadFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  static const auto read = SystemExportAs<ReadFn>("version.dll", "GetFileVersionInfoA");
  return read != nullptr ? read(fileName, 0, size, block) : FALSE;
}

BOOL QueryValue(const void* block, const char* subBlock, void** value, UINT* length) {
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  static const auto query = SystemExportAs<QueryFn>("version.dll", "VerQueryValueA");
  return query != nullptr ? query(block, subBlock, value, length) : FALSE;
}

}  // namespace version_info
