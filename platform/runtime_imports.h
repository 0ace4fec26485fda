// kernel32 functions of later Windows that the compiler's own runtime imports: GCC 13 and later
// rewrote libgcc's Windows thread layer, which the exception unwinder brings into every program,
// for Vista. Windows 2000's and XP's loaders refuse a program that imports a function their
// kernel32 lacks, before its first instruction. So the program defines the import pointers itself
// (runtime_imports.cpp), the import table never names these functions, and each looks its function
// up at run time and otherwise does what the oldest Windows can.
#pragma once

#include <windows.h>

namespace runtime_imports {

// GetThreadId (Vista and later; XP has none in 32 bits), else the thread's id as the NT kernel
// of every Windows from 2000 on gives it (NtQueryInformationThread). 0 for a handle that is not
// a thread's.
DWORD WINAPI ThreadId(HANDLE thread);

// TryEnterCriticalSection where kernel32 has it; else FALSE without entering, as a try-lock that
// found the section taken (a try-lock may fail for no reason; the program never calls one).
BOOL WINAPI TryEnter(CRITICAL_SECTION* section);

}  // namespace runtime_imports
