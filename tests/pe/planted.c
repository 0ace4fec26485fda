/* Stands in for ddraw.dll, dsound.dll and version.dll planted beside a program: every entry point
   answers with a value the real DLLs never give, so a test can tell which one was loaded. */
#include <windows.h>

#define PLANTED_ANSWER 0x0BADC0DE

__declspec(dllexport) HRESULT WINAPI DirectDrawEnumerateExA(void* callback, void* context, DWORD flags) {
  (void)callback; (void)context; (void)flags;
  return PLANTED_ANSWER;
}

__declspec(dllexport) HRESULT WINAPI DirectDrawCreateEx(void* guid, void** object, void* iid, void* outer) {
  (void)guid; (void)iid; (void)outer;
  *object = NULL;
  return PLANTED_ANSWER;
}

__declspec(dllexport) HRESULT WINAPI DirectSoundEnumerateA(void* callback, void* context) {
  (void)callback; (void)context;
  return PLANTED_ANSWER;
}

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(const char* file, DWORD* handle) {
  (void)file; (void)handle;
  return PLANTED_ANSWER;
}
