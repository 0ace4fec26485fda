/* A DLL planted beside a program under the name of a system DLL. Loading it ends the process at
   once with exit code 86, after saying so on the standard error. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char text[MAX_PATH + 32] = "planted DLL loaded: ";
    const DWORD length = GetModuleFileNameA(self, text + 20, MAX_PATH);
    text[20 + length] = '\n';
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, 20 + length + 1, &written, NULL);
    TerminateProcess(GetCurrentProcess(), 86);
  }
  return TRUE;
}
