// The floor for the start-up benchmark: only the platform calls the checker's survey needs
// (adapter enumeration with its creates, modes and devices; the second create and the two
// identifications; the sound enumeration; the memory total), then the same dialog, left empty.
#include <windows.h>

#include <d3d.h>

#include "app/res/resource.h"
#include "platform/directx.h"

namespace {

HRESULT WINAPI OnMode(LPDDSURFACEDESC2, LPVOID) { return DDENUMRET_OK; }
HRESULT WINAPI OnDevice(LPSTR, LPSTR, LPD3DDEVICEDESC7, LPVOID) { return D3DENUMRET_OK; }
BOOL CALLBACK OnSound(LPGUID, LPCSTR, LPCSTR, LPVOID) { return TRUE; }

BOOL WINAPI OnAdapter(GUID* guid, LPSTR, LPSTR, LPVOID, HMONITOR) {
  IDirectDraw7* directDraw = nullptr;
  if (FAILED(dx::CreateDirectDraw(guid, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                                  nullptr))) {
    return TRUE;
  }
  IDirect3D7* direct3D = nullptr;
  if (SUCCEEDED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)))) {
    DDCAPS driverCaps = {};
    DDCAPS helCaps = {};
    driverCaps.dwSize = helCaps.dwSize = sizeof(DDCAPS);
    directDraw->GetCaps(&driverCaps, &helCaps);
    directDraw->EnumDisplayModes(0, nullptr, nullptr, OnMode);
    direct3D->EnumDevices(OnDevice, nullptr);
    direct3D->Release();
  }
  directDraw->Release();
  return TRUE;
}

INT_PTR CALLBACK FloorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 1);
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  dx::EnumerateDisplayDrivers(
      OnAdapter, nullptr,
      DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
  IDirectDraw7* directDraw = nullptr;
  if (dx::CreateDirectDraw(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                           nullptr) == DD_OK) {
    DDDEVICEIDENTIFIER2 identifier = {};
    directDraw->GetDeviceIdentifier(&identifier, 0);
    directDraw->GetDeviceIdentifier(&identifier, DDGDI_GETHOSTIDENTIFIER);
    directDraw->Release();
  }
  dx::EnumerateSoundDevices(OnSound, nullptr);
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CHECKER), GetDesktopWindow(), FloorDialog, 0);
  return 0;
}
