// A simulated machine and user behind the DirectX, kernel and user-interface seams. The machine
// lists adapters, devices, modes and sound devices, fails as told, counts its live DirectX objects,
// and searches for DLLs as its Windows does; the user exports (to `saveAs`, deleted at the box, or
// cancelling), and closes the dialog.
#pragma once

#include <string>
#include <vector>

#include "platform/directx.h"
#include "platform/ui.h"

struct Device {
  std::string name;
  GUID type;  // a HAL or T&L HAL device rasterizes in hardware, any other in software
  DWORD depths = DDBD_16 | DDBD_32;  // the bit depths it renders in
};

// A DirectDraw create that answers DD_OK but hands out no object.
constexpr HRESULT kOkWithoutObject = 0x7FFF0001;
// A DirectDraw create that fails (DDERR_GENERIC) and leaves behind a pointer to an object the
// platform has already freed, whose every method crashes the checks.
constexpr HRESULT kFailedLeavingFreedObject = static_cast<HRESULT>(0xFFFF0001);

struct Adapter {
  DWORD kind = 0;  // 0: the primary display driver, enumerated without a GUID; else the DDENUM_
                   // flag it needs to be enumerated. Its GUID is made from its place in the list.
  std::string description;
  std::vector<DDSURFACEDESC2> modes;
  std::vector<Device> devices;
  std::vector<HRESULT> creates;  // the results of its creates, one after the other; then DD_OK
  bool direct3D = true;
  bool windowed = true;  // its driver can render in a window (which counts for the primary alone)
  DDDEVICEIDENTIFIER2 identifier = {};
};

struct Machine {
  std::vector<Adapter> adapters;
  std::vector<std::pair<int, std::string>> sounds;  // id (0: no GUID) and description
  HRESULT soundResult = DS_OK;
  int live = 0;          // DirectDraw and Direct3D objects not yet released
  int liveAtSound = -1;  // `live` when the sound enumeration began; -1 when it never began
  bool setDefaultDllDirectories = true;  // in kernel32: Windows 8 on, Vista and 7 updated
  bool setDllDirectory = true;           // in kernel32: XP SP1 and later
  bool currentFolderSearched = true;     // for DLLs named bare, until either takes it out
  bool threadExports = true;  // in kernel32: GetThreadId (Vista on), TryEnterCriticalSection
};

struct User {
  std::string messages;  // "text|title|flags\n" for each message box, "owned " before an owned one
  std::string box;       // what the report box shows
  int closes = 0;        // EndDialog calls with the result 1
  int saves = 0;         // save dialogs shown
  bool readOnlyBox = false;  // in the save dialog: Windows 2000 and XP show one unless told not to
  std::string saveAs;        // the file the user names in the save dialog; "" cancels it
};

extern Machine g_machine;
extern User g_user;

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits);
void Reset();  // an empty store and device list, machine and user
