// Display adapters and their Direct3D 7 devices: every device that can render in at least one of
// its adapter's display modes, in a fixed list of 16.
#pragma once

#include <windows.h>

#include <d3d.h>
#include <ddraw.h>

#include <cstdint>

constexpr std::uint32_t kMaxRenderDevices = 16;
constexpr std::uint32_t kMaxDisplayModes = 48;
constexpr int kRenderDeviceNameSize = 40;

// Used twice: as the scratch record of one adapter (adapter fields only) and as an entry of
// g_RenderDevices (adapter fields copied, device fields added). Platform records keep their
// DirectX 7 layouts.
struct RenderDeviceInfo {
  char Name[kRenderDeviceNameSize];  // at most 38 bytes of text, zero-terminated
  GUID* DeviceGuidPtr;               // entries: &DeviceGuid
  D3DDEVICEDESC7 DeviceDesc;         // as the enumeration delivered it
  BOOL IsHardware;                   // D3DDEVCAPS_HWRASTERIZATION in DeviceDesc.dwDevCaps
  GUID* DriverGuidPtr;               // null for the primary display driver, else &DriverGuid
  DDCAPS DriverCaps;
  DDCAPS HelCaps;
  DDSURFACEDESC2 DefaultMode;              // the taken 640 x 480 x 16 mode, zero when there is none
  GUID DeviceGuid;                         // the device type
  GUID DriverGuid;                         // the adapter; zero for the primary display driver
  DDSURFACEDESC2 Modes[kMaxDisplayModes];  // scratch: the adapter's 16-, 24- and 32-bit modes,
                                           // sorted; entry: the ones the device can render, in
                                           // the same order
  std::uint32_t ModeCount;
  std::uint32_t DefaultModeIndex;  // index of DefaultMode in Modes; 0 when there is none
  BOOL CanRenderWindowed;          // primary display driver with DDCAPS2_CANRENDERWINDOWED
};

extern RenderDeviceInfo g_RenderDevices[kMaxRenderDevices];
extern std::uint32_t g_RenderDeviceCount;

// Walks every display driver and records its devices. True when at least one was recorded.
bool EnumerateDisplayAdapters();

// Callbacks handed to DirectDraw and Direct3D; each always answers "go on".
BOOL WINAPI EnumAdapterCallback(GUID* driverGuid, LPSTR description, LPSTR driverName,
                                LPVOID context, HMONITOR monitor);
HRESULT WINAPI EnumModeCallback(LPDDSURFACEDESC2 mode, LPVOID scratch);
HRESULT WINAPI EnumDeviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc,
                                  LPVOID scratch);

// qsort order of display modes: width, then height, then bit depth, ascending.
int CompareDisplayModes(const void* a, const void* b);
