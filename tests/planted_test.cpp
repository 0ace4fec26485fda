// This program sits beside planted ddraw.dll, dsound.dll and version.dll: the platform layer
// must load the system's DLLs all the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

#include "platform/directx.h"
#include "platform/version_info.h"

namespace {

constexpr HRESULT kPlantedAnswer = 0x0BADC0DE;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Folder(const std::string& path) { return Lower(path.substr(0, path.rfind('\\'))); }

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(module, path, MAX_PATH));
}

BOOL WINAPI IgnoreAdapter(GUID*, LPSTR, LPSTR, LPVOID, HMONITOR) { return TRUE; }
BOOL CALLBACK IgnoreSound(LPGUID, LPCSTR, LPCSTR, LPVOID) { return TRUE; }

TEST(PlantedDlls, AreNeverLoaded) {
  const std::string here = Folder(ModulePath(nullptr));
  for (const char* dll : {"ddraw.dll", "dsound.dll", "version.dll"}) {
    ASSERT_NE(GetFileAttributesA((here + "\\" + dll).c_str()), INVALID_FILE_ATTRIBUTES)
        << dll << " must be planted beside this program";
  }

  EXPECT_NE(dx::EnumerateDisplayDrivers(IgnoreAdapter, nullptr, 0), kPlantedAnswer);
  EXPECT_NE(dx::EnumerateSoundDevices(IgnoreSound, nullptr), kPlantedAnswer);
  EXPECT_NE(version_info::InfoSize("kernel32.dll"), static_cast<DWORD>(kPlantedAnswer));

  char system[MAX_PATH];
  const std::string systemDir = Lower(std::string(system, GetSystemDirectoryA(system, MAX_PATH)));
  for (const char* dll : {"ddraw.dll", "dsound.dll", "version.dll"}) {
    const HMODULE loaded = GetModuleHandleA(dll);
    ASSERT_NE(loaded, nullptr) << dll;
    EXPECT_EQ(Folder(ModulePath(loaded)), systemDir) << dll;
  }
}

}  // namespace
