#include "platform/version_info.h"

#include "platform/system_library.h"

namespace version_info {
namespace {

using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using ReadFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

const SystemLibrary& Version() {
  static const SystemLibrary library("version.dll");
  return library;
}

}  // namespace

DWORD InfoSize(const char* fileName) {
  const auto size = Version().FindAs<SizeFn>("GetFileVersionInfoSizeA");
  DWORD ignored = 0;
  return size != nullptr ? size(fileName, &ignored) : 0;
}

BOOL ReadInfo(const char* fileName, DWORD size, void* block) {
  const auto read = Version().FindAs<ReadFn>("GetFileVersionInfoA");
  return read != nullptr ? read(fileName, 0, size, block) : FALSE;
}

BOOL QueryValue(const void* block, const char* subBlock, void** value, UINT* length) {
  const auto query = Version().FindAs<QueryFn>("VerQueryValueA");
  return query != nullptr ? query(block, subBlock, value, length) : FALSE;
}

}  // namespace version_info
