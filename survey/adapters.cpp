#include "survey/adapters.h"

#include <cstdlib>
#include <cstring>

#include "platform/directx.h"

#ifdef _M_IX86
static_assert(sizeof(DDSURFACEDESC2) == 124, "DDSURFACEDESC2 keeps its published 32-bit size");
static_assert(sizeof(DDCAPS) == 380, "DDCAPS keeps its published DirectX 7 size");
#endif

RenderDeviceInfo g_RenderDevices[kMaxRenderDevices];
std::uint32_t g_RenderDeviceCount;

namespace {

constexpr DWORD kEnumerateAllDrivers =
    DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;

// Keeps at most 38 bytes; a missing text counts as empty.
void CopyName(char (&name)[kRenderDeviceNameSize], const char* text) {
  lstrcpynA(name, text != nullptr ? text : "", kRenderDeviceNameSize - 1);
}

bool CanRender(const DDSURFACEDESC2& mode, DWORD renderDepths) {
  switch (mode.ddpfPixelFormat.dwRGBBitCount) {
    case 32:
      return (renderDepths & DDBD_32) != 0;
    case 24:
      return (renderDepths & DDBD_24) != 0;
    case 16:
      return (renderDepths & DDBD_16) != 0;
    default:
      return false;
  }
}

bool IsDefaultMode(const DDSURFACEDESC2& mode) {
  return mode.dwWidth == 640 && mode.dwHeight == 480 && mode.ddpfPixelFormat.dwRGBBitCount == 16;
}

}  // namespace

bool EnumerateDisplayAdapters() {
  dx::EnumerateDisplayDrivers(EnumAdapterCallback, nullptr, kEnumerateAllDrivers);
  return g_RenderDeviceCount != 0;
}

BOOL WINAPI EnumAdapterCallback(GUID* driverGuid, LPSTR description, LPSTR /*driverName*/,
                                LPVOID /*context*/, HMONITOR /*monitor*/) {
  IDirectDraw7* directDraw = nullptr;
  if (FAILED(dx::CreateDirectDraw(driverGuid, reinterpret_cast<void**>(&directDraw),
                                  IID_IDirectDraw7, nullptr)) ||
      directDraw == nullptr) {
    return TRUE;
  }
  IDirect3D7* direct3D = nullptr;
  if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D))) ||
      direct3D == nullptr) {
    directDraw->Release();
    return TRUE;
  }

  RenderDeviceInfo scratch;
  std::memset(&scratch, 0, sizeof scratch);
  CopyName(scratch.Name, description);
  scratch.DriverCaps.dwSize = sizeof(DDCAPS);
  scratch.HelCaps.dwSize = sizeof(DDCAPS);
  directDraw->GetCaps(&scratch.DriverCaps, &scratch.HelCaps);
  if (driverGuid != nullptr) {
    scratch.DriverGuid = *driverGuid;
    scratch.DriverGuidPtr = &scratch.DriverGuid;
  }
  if ((scratch.DriverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0 &&
      scratch.DriverGuidPtr == nullptr) {
    scratch.CanRenderWindowed = TRUE;
  }
  directDraw->EnumDisplayModes(0, nullptr, &scratch, EnumModeCallback);
  std::qsort(scratch.Modes, scratch.ModeCount, sizeof(DDSURFACEDESC2), CompareDisplayModes);
  direct3D->EnumDevices(EnumDeviceCallback, &scratch);

  direct3D->Release();
  directDraw->Release();
  return TRUE;
}

HRESULT WINAPI EnumModeCallback(LPDDSURFACEDESC2 mode, LPVOID context) {
  RenderDeviceInfo& scratch = *static_cast<RenderDeviceInfo*>(context);
  if (mode == nullptr || scratch.ModeCount >= kMaxDisplayModes) return DDENUMRET_OK;
  // A mode that no device renders takes none of the 48 places. Windows 8 and later list emulated
  // 8-bit modes beside every other one, and a monitor with 50 sizes and more whose driver lists
  // them first would otherwise leave a working card with no mode, and the survey with no device.
  if (!CanRender(*mode, DDBD_16 | DDBD_24 | DDBD_32)) return DDENUMRET_OK;
  scratch.Modes[scratch.ModeCount++] = *mode;
  return DDENUMRET_OK;
}

int CompareDisplayModes(const void* a, const void* b) {
  const DDSURFACEDESC2& first = *static_cast<const DDSURFACEDESC2*>(a);
  const DDSURFACEDESC2& second = *static_cast<const DDSURFACEDESC2*>(b);
  const DWORD keys[3][2] = {
      {first.dwWidth, second.dwWidth},
      {first.dwHeight, second.dwHeight},
      {first.ddpfPixelFormat.dwRGBBitCount, second.ddpfPixelFormat.dwRGBBitCount},
  };
  for (const auto& key : keys) {
    if (key[0] < key[1]) return -1;
    if (key[0] > key[1]) return 1;
  }
  return 0;
}

HRESULT WINAPI EnumDeviceCallback(LPSTR /*description*/, LPSTR name, LPD3DDEVICEDESC7 desc,
                                  LPVOID context) {
  // The list is full: further devices are dropped and the enumeration goes on.
  if (g_RenderDeviceCount >= kMaxRenderDevices || desc == nullptr) return D3DENUMRET_OK;
  const RenderDeviceInfo& scratch = *static_cast<const RenderDeviceInfo*>(context);
  RenderDeviceInfo& entry = g_RenderDevices[g_RenderDeviceCount];
  std::memset(&entry, 0, sizeof entry);

  entry.DeviceDesc = *desc;
  entry.CanRenderWindowed = scratch.CanRenderWindowed;
  entry.DriverCaps = scratch.DriverCaps;
  entry.HelCaps = scratch.HelCaps;
  entry.IsHardware = (entry.DeviceDesc.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
  entry.DeviceGuid = entry.DeviceDesc.deviceGUID;
  entry.DeviceGuidPtr = &entry.DeviceGuid;
  if (scratch.DriverGuidPtr != nullptr) {
    entry.DriverGuid = scratch.DriverGuid;
    entry.DriverGuidPtr = &entry.DriverGuid;
    CopyName(entry.Name, scratch.Name);
  } else {
    CopyName(entry.Name, name);
  }
  // Other adapters than the primary display driver contribute hardware devices only.
  if (entry.DriverGuidPtr != nullptr && !entry.IsHardware) return D3DENUMRET_OK;

  for (std::uint32_t i = 0; i < scratch.ModeCount; ++i) {
    const DDSURFACEDESC2& mode = scratch.Modes[i];
    if (!CanRender(mode, entry.DeviceDesc.dwDeviceRenderBitDepth)) continue;
    if (IsDefaultMode(mode)) {
      entry.DefaultMode = mode;
      entry.DefaultModeIndex = entry.ModeCount;
    }
    entry.Modes[entry.ModeCount++] = mode;
  }
  if (entry.ModeCount != 0) ++g_RenderDeviceCount;
  return D3DENUMRET_OK;
}
