#include "tests/simulation.h"

#include <cstring>
#include <type_traits>

#include "platform/kernel.h"
#include "platform/memory.h"
#include "report/store.h"
#include "survey/adapters.h"

Machine g_machine;
User g_user;

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits) {
  DDSURFACEDESC2 mode = {sizeof mode, DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, height, width};
  mode.ddpfPixelFormat.dwRGBBitCount = bits;
  return mode;
}

void Reset() {
  std::memset(g_RenderDevices, 0, sizeof g_RenderDevices);
  g_RenderDeviceCount = 0;
  g_SoundDeviceCount = 0;
  g_DisplayDrivers[0] = DisplayDriverInfo();
  g_SoundDriverText.clear();
  g_ReportText.clear();
  g_machine = Machine();
  g_user = User();
}

namespace {

const HWND kDialog = reinterpret_cast<HWND>(0xD1A1);

// The GUID of the adapter at this place of the machine's list, or of the sound device with this id.
GUID Guid(size_t id) {
  return {0x51a00000u + static_cast<DWORD>(id), 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
}

// A COM object: a table of methods, one for IDirectDraw7 and IDirect3D7, whose slots that the
// survey calls do not clash; any other slot is empty, and a call of it crashes the checks.
struct Object {
  void* const* methods;
  Adapter* adapter;
};

ULONG STDMETHODCALLTYPE Release(Object* self) {
  delete self;
  --g_machine.live;
  return 0;
}

HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualGUID(iid, IID_IDirect3D7) || !self->adapter->direct3D) return E_NOINTERFACE;
  *out = new Object{self->methods, self->adapter};
  ++g_machine.live;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EnumDevices(Object* self, LPD3DENUMDEVICESCALLBACK7 callback,
                                      void* context) {
  for (const Device& device : self->adapter->devices) {
    D3DDEVICEDESC7 desc = {};
    const bool hardware = IsEqualGUID(device.type, IID_IDirect3DHALDevice) ||
                          IsEqualGUID(device.type, IID_IDirect3DTnLHalDevice);
    desc.dwDevCaps = hardware ? D3DDEVCAPS_HWRASTERIZATION : 0;
    desc.dwDeviceRenderBitDepth = device.depths;
    desc.deviceGUID = device.type;
    std::string name = device.name;  // the platform's own copies, writable
    char description[] = "Direct3D device";
    if (callback(description, name.data(), &desc, context) != D3DENUMRET_OK) break;
  }
  return D3D_OK;
}

HRESULT STDMETHODCALLTYPE EnumModes(Object* self, DWORD, DDSURFACEDESC2*, void* context,
                                    LPDDENUMMODESCALLBACK2 callback) {
  for (DDSURFACEDESC2 mode : self->adapter->modes) {
    if (callback(&mode, context) != DDENUMRET_OK) break;
  }
  return DD_OK;
}

HRESULT STDMETHODCALLTYPE GetCaps(Object* self, DDCAPS* driver, DDCAPS* hel) {
  if (driver->dwSize != sizeof(DDCAPS) || hel->dwSize != sizeof(DDCAPS)) {
    return DDERR_INVALIDPARAMS;
  }
  driver->dwCaps2 = self->adapter->windowed ? DDCAPS2_CANRENDERWINDOWED : 0;
  return DD_OK;
}

HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(Object* self, DDDEVICEIDENTIFIER2* identifier,
                                              DWORD flags) {
  *identifier = {};
  std::strcpy(identifier->szDescription, "Host Adapter");
  if (flags == 0) *identifier = self->adapter->identifier;
  return DD_OK;
}

void* const* Methods() {
  static void* table[30];
  table[0] = reinterpret_cast<void*>(&QueryInterface);
  table[2] = reinterpret_cast<void*>(&Release);
  table[3] = reinterpret_cast<void*>(&EnumDevices);  // IDirect3D7
  table[8] = reinterpret_cast<void*>(&EnumModes);
  table[11] = reinterpret_cast<void*>(&GetCaps);
  table[27] = reinterpret_cast<void*>(&GetDeviceIdentifier);
  return table;
}

}  // namespace

namespace dx {

HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
  for (size_t i = 0; i < g_machine.adapters.size(); ++i) {
    const Adapter& adapter = g_machine.adapters[i];
    if (adapter.kind != 0 && (flags & adapter.kind) == 0) continue;
    GUID guid = Guid(i);
    std::string description = adapter.description;  // the platform's own copy, writable
    char driver[] = "display";
    if (!callback(adapter.kind ? &guid : nullptr, &description[0], driver, context, nullptr)) break;
  }
  return DD_OK;
}

HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer) {
  static void* const* methods = Methods();
  *object = nullptr;
  for (size_t i = 0; i < g_machine.adapters.size(); ++i) {
    Adapter& adapter = g_machine.adapters[i];
    const bool named =
        driverGuid == nullptr ? adapter.kind == 0 : IsEqualGUID(*driverGuid, Guid(i));
    if (!named) continue;
    if (!IsEqualGUID(iid, IID_IDirectDraw7) || outer != nullptr) return DDERR_INVALIDPARAMS;
    const HRESULT result = adapter.creates.empty() ? DD_OK : adapter.creates.front();
    if (!adapter.creates.empty()) adapter.creates.erase(adapter.creates.begin());
    if (result == kOkWithoutObject) return DD_OK;
    if (result == kFailedLeavingFreedObject) {
      static void* const noMethods[30] = {};
      static Object freed = {noMethods, nullptr};
      *object = &freed;
      return DDERR_GENERIC;
    }
    if (SUCCEEDED(result)) {
      *object = new Object{methods, &adapter};
      ++g_machine.live;
    }
    return result;
  }
  return DDERR_INVALIDDIRECTDRAWGUID;
}

HRESULT EnumerateSoundDevices(LPDSENUMCALLBACKA callback, void* context) {
  g_machine.liveAtSound = g_machine.live;
  for (const auto& [id, description] : g_machine.sounds) {
    GUID guid = Guid(id);
    if (!callback(id != 0 ? &guid : nullptr, description.c_str(), "sound.drv", context)) break;
  }
  return g_machine.soundResult;
}

}  // namespace dx

namespace kernel {

// As Windows documents them: SetDefaultDllDirectories' search never takes the current folder, and
// SetDllDirectoryA takes it out for any folder or "" and puts it back for NULL.
static BOOL WINAPI SetDefault(DWORD) {
  g_machine.currentFolderSearched = false;
  return TRUE;
}

static BOOL WINAPI SetDirectory(const char* folder) {
  g_machine.currentFolderSearched = folder == nullptr;
  return TRUE;
}

// Called through the headers' types, calling convention included.
static_assert(std::is_same_v<decltype(&SetDefault), decltype(&::SetDefaultDllDirectories)>);
static_assert(std::is_same_v<decltype(&SetDirectory), decltype(&::SetDllDirectoryA)>);

FARPROC OptionalExport(const char* name) {
  if (std::strcmp(name, "SetDefaultDllDirectories") == 0 && g_machine.setDefaultDllDirectories)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&SetDefault));
  if (std::strcmp(name, "SetDllDirectoryA") == 0 && g_machine.setDllDirectory)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&SetDirectory));
  const bool threadExport =
      std::strcmp(name, "GetThreadId") == 0 || std::strcmp(name, "TryEnterCriticalSection") == 0;
  if (threadExport && g_machine.threadExports)
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);  // the real one
  return nullptr;
}

}  // namespace kernel

namespace ui {

int ShowMessage(HWND owner, const char* text, const char* title, UINT flags) {
  if (owner != nullptr) g_user.messages += "owned ";
  g_user.messages += std::string(text) + "|" + title + "|" + std::to_string(flags) + "\n";
  // Meanwhile the user deletes the file they named, to free space, unless the checker holds it.
  if (!DeleteFileA(g_user.saveAs.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION) {
    g_user.messages += "(the file is still open)\n";
  }
  return IDOK;
}

HWND DesktopWindow() { return GetDesktopWindow(); }

INT_PTR RunDialog(HINSTANCE, int, HWND, DLGPROC proc, LPARAM) {
  proc(kDialog, WM_INITDIALOG, 0, 0);
  proc(kDialog, WM_COMMAND, 1001, 0);  // the export, whose save dialog the user cancels
  proc(kDialog, WM_COMMAND, IDOK, 0);
  return 1;
}

BOOL CloseDialog(HWND dialog, INT_PTR result) {
  if (dialog == kDialog && result == 1) ++g_user.closes;
  return TRUE;
}

BOOL SetItemText(HWND, int, const char* text) {
  g_user.box = text;
  return TRUE;
}

BOOL AskSaveFileName(OPENFILENAMEA* request) {
  ++g_user.saves;
  g_user.readOnlyBox = (request->Flags & OFN_HIDEREADONLY) == 0;
  lstrcpynA(request->lpstrFile, g_user.saveAs.c_str(), request->nMaxFile);
  return !g_user.saveAs.empty();
}

}  // namespace ui

namespace memory {

std::uint64_t TotalPhysicalBytes() { return 255 * 1048576 + 1048576 / 4; }  // 255.25 MiB

}  // namespace memory
