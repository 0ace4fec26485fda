#include "platform/runtime_imports.h"

#include <winternl.h>

#include "platform/kernel.h"

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
#ifdef _M_IX86
static_assert(sizeof(ThreadBasics) == 28, "NT's THREAD_BASIC_INFORMATION in 32 bits");
#endif

}  // namespace

DWORD WINAPI ThreadId(HANDLE thread) {
  const auto getThreadId = kernel::OptionalExportAs<decltype(&::GetThreadId)>("GetThreadId");
  if (getThreadId != nullptr) return getThreadId(thread);
  // ntdll is mapped into every process before its first instruction, so it is taken as it is
  // loaded: no search, nothing beside the program can stand in for it.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto query = reinterpret_cast<decltype(&::NtQueryInformationThread)>(
      ntdll != nullptr ? reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationThread"))
                       : nullptr);
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
