// The version-information service (version.dll, loaded from the system directory).
#pragma once

#include <windows.h>

namespace version_info {

// GetFileVersionInfoSizeA; 0 also when version.dll cannot be loaded.
DWORD InfoSize(const char* fileName);

// GetFileVersionInfoA into block[0, size).
BOOL ReadInfo(const char* fileName, DWORD size, void* block);

// VerQueryValueA.
BOOL QueryValue(const void* block, const char* subBlock, void** value, UINT* length);

}  // namespace version_info
