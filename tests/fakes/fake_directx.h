// Scripted fake of the DirectX seam (platform/directx.h): a simulated machine with adapters,
// their modes and Direct3D devices, and sound devices. Records the calls it receives.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>
#include <d3d.h>
#include <dsound.h>

#include <string>
#include <vector>

namespace fake_dx {

struct Device {
  std::string description;
  std::string name;
  D3DDEVICEDESC7 desc;
};

struct Adapter {
  bool hasGuid = false;  // the primary display driver comes without a GUID
  GUID guid = {};
  std::string description;
  // Results of the successive DirectDrawCreateEx calls for this adapter; DD_OK when used up.
  std::vector<HRESULT> createResults;
  bool hasDirect3D = true;
  DWORD driverCaps2 = 0;
  std::vector<DDSURFACEDESC2> modes;
  std::vector<Device> devices;
  DDDEVICEIDENTIFIER2 identifier = {};
  DDDEVICEIDENTIFIER2 hostIdentifier = {};
};

struct SoundDevice {
  bool hasGuid = false;
  GUID guid = {};
  std::string description;
};

struct Machine {
  bool hasDirectDraw = true;
  std::vector<Adapter> adapters;
  std::vector<SoundDevice> soundDevices;
  HRESULT soundResult = DS_OK;
};

Machine& Get();
// Calls in order, such as "create Primary", "release d3d Primary", "identifier 1".
std::vector<std::string>& Log();
// DirectDraw and Direct3D objects handed out and not yet released.
int LiveObjects();
void Reset();

// Builders.
DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bitsPerPixel);
D3DDEVICEDESC7 DeviceDesc(const GUID& type, bool hardware, DWORD renderDepths);
GUID MakeGuid(int n);
Adapter Primary(const std::string& description, bool canRenderWindowed);
Adapter Secondary(const std::string& description, int guidNumber);
std::vector<DDSURFACEDESC2> Modes16();  // 640x480x16 and 800x600x16

}  // namespace fake_dx
