#include "platform/runtime_imports.h"

#include <winternl.h>

#include "platform/kernel.h"
#include "platform/system_library.h"

namespace runtime_imports {

namespace {

// NtQueryInformationThread's ThreadBasicInformation, which winternl.h does not declare.
struct ThreadBasics {
  NTSTATUS exitStatus;
  void* teb;
  CLIENT_ID clientId;
  ULONG_PTR affinityMask;
  LONG priority;
  LONG basePriority;
};
static_assert(sizeof(ThreadBasics) == 7 * sizeof(void*), "NT's THREAD_BASIC_INFORMATION");

}  // namespace

DWORD WINAPI ThreadId(HANDLE thread) {
  const auto getThreadId = kernel::OptionalExportAs<decltype(&::GetThreadId)>("GetThreadId");
  if (getThreadId != nullptr) return getThreadId(thread);
  const auto query = SystemExportAs<decltype(&::NtQueryInformationThread)>(
      "ntdll.dll", "NtQueryInformationThread");
  ThreadBasics basics = {};
  if (query == nullptr ||
      query(thread, ThreadBasicInformation, &basics, sizeof basics, nullptr) < 0)
    return 0;
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(basics.clientId.UniqueThread));
}

BOOL WINAPI TryEnter(CRITICAL_SECTION* section) {
  const auto tryEnter =
      kernel::OptionalExportAs<decltype(&::TryEnterCriticalSection)>("TryEnterCriticalSection");
  return tryEnter != nullptr && tryEnter(section);
}

}  // namespace runtime_imports

// The import pointers that libgcc calls through (`call *__imp__GetThreadId@4`). Defined here, they
// are taken before kernel32's import library is searched; a toolchain whose runtime does not call
// them (GCC 12) leaves them out of the program with the rest of what nothing uses.
extern "C" {
extern decltype(&::GetThreadId) const g_importGetThreadId __asm__("__imp__GetThreadId@4");
decltype(&::GetThreadId) const g_importGetThreadId = runtime_imports::ThreadId;
extern decltype(&::TryEnterCriticalSection)
    const g_importTryEnter __asm__("__imp__TryEnterCriticalSection@4");
decltype(&::TryEnterCriticalSection) const g_importTryEnter = runtime_imports::TryEnter;
}
