#include "tests/fakes/fake_directx.h"

#include <cstring>

#include "platform/directx.h"

namespace fake_dx {
namespace {

int g_live = 0;

std::string Label(const Adapter& adapter) { return adapter.description; }

class FakeDirect3D final : public IDirect3D7 {
 public:
  explicit FakeDirect3D(Adapter& adapter) : adapter_(adapter) { ++g_live; }
  STDMETHOD_(HRESULT, QueryInterface)(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++refs_; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG left = --refs_;
    if (left == 0) {
      Log().push_back("release d3d " + Label(adapter_));
      --g_live;
      delete this;
    }
    return left;
  }
  STDMETHOD(EnumDevices)(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override {
    Log().push_back("enumdevices " + Label(adapter_));
    for (Device& device : adapter_.devices) {
      // The platform's own copies, so the callback cannot rely on the script's storage.
      std::vector<char> description(device.description.begin(), device.description.end());
      description.push_back('\0');
      std::vector<char> name(device.name.begin(), device.name.end());
      name.push_back('\0');
      D3DDEVICEDESC7 desc = device.desc;
      if (callback(description.data(), name.data(), &desc, context) != D3DENUMRET_OK) {
        Log().push_back("device enumeration stopped");
        break;
      }
    }
    return D3D_OK;
  }
  STDMETHOD(CreateDevice)(REFCLSID, IDirectDrawSurface7*, struct IDirect3DDevice7**) override {
    return E_NOTIMPL;
  }
  STDMETHOD(CreateVertexBuffer)(D3DVERTEXBUFFERDESC*, struct IDirect3DVertexBuffer7**, DWORD) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EnumZBufferFormats)(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EvictManagedTextures)() override { return E_NOTIMPL; }

 private:
  Adapter& adapter_;
  ULONG refs_ = 1;
};

class FakeDirectDraw final : public IDirectDraw7 {
 public:
  explicit FakeDirectDraw(Adapter& adapter) : adapter_(adapter) { ++g_live; }
  STDMETHOD_(HRESULT, QueryInterface)(REFIID iid, void** out) override {
    Log().push_back("query d3d " + Label(adapter_));
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IDirect3D7) || !adapter_.hasDirect3D) return E_NOINTERFACE;
    *out = static_cast<IDirect3D7*>(new FakeDirect3D(adapter_));
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++refs_; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG left = --refs_;
    if (left == 0) {
      Log().push_back("release ddraw " + Label(adapter_));
      --g_live;
      delete this;
    }
    return left;
  }
  STDMETHOD(Compact)() override { return E_NOTIMPL; }
  STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return E_NOTIMPL; }
  STDMETHOD(CreatePalette)(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(CreateSurface)(LPDDSURFACEDESC2, LPDIRECTDRAWSURFACE7*, IUnknown*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE7, LPDIRECTDRAWSURFACE7*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EnumDisplayModes)(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                              LPDDENUMMODESCALLBACK2 callback) override {
    Log().push_back("enummodes " + Label(adapter_) + (flags == 0 && filter == nullptr ? "" : " (filtered)"));
    for (const DDSURFACEDESC2& mode : adapter_.modes) {
      DDSURFACEDESC2 copy = mode;
      if (callback(&copy, context) != DDENUMRET_OK) {
        Log().push_back("mode enumeration stopped");
        break;
      }
    }
    return DD_OK;
  }
  STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7) override {
    return E_NOTIMPL;
  }
  STDMETHOD(FlipToGDISurface)() override { return E_NOTIMPL; }
  STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS helCaps) override {
    Log().push_back("getcaps " + std::to_string(driverCaps->dwSize) + " " +
                    std::to_string(helCaps->dwSize));
    driverCaps->dwCaps2 = adapter_.driverCaps2;
    return DD_OK;
  }
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE7*) override { return E_NOTIMPL; }
  STDMETHOD(GetMonitorFrequency)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetScanLine)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetVerticalBlankStatus)(WINBOOL*) override { return E_NOTIMPL; }
  STDMETHOD(Initialize)(GUID*) override { return E_NOTIMPL; }
  STDMETHOD(RestoreDisplayMode)() override { return E_NOTIMPL; }
  STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(SetDisplayMode)(DWORD, DWORD, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override { return E_NOTIMPL; }
  STDMETHOD(GetAvailableVidMem)(LPDDSCAPS2, LPDWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetSurfaceFromDC)(HDC, LPDIRECTDRAWSURFACE7*) override { return E_NOTIMPL; }
  STDMETHOD(RestoreAllSurfaces)() override { return E_NOTIMPL; }
  STDMETHOD(TestCooperativeLevel)() override { return E_NOTIMPL; }
  STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER2 identifier, DWORD flags) override {
    Log().push_back("identifier " + std::to_string(flags));
    *identifier = flags == DDGDI_GETHOSTIDENTIFIER ? adapter_.hostIdentifier : adapter_.identifier;
    return DD_OK;
  }
  STDMETHOD(StartModeTest)(LPSIZE, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(EvaluateMode)(DWORD, DWORD*) override { return E_NOTIMPL; }

 private:
  Adapter& adapter_;
  ULONG refs_ = 1;
};

Adapter* FindAdapter(const GUID* guid) {
  for (Adapter& adapter : Get().adapters) {
    if (guid == nullptr ? !adapter.hasGuid : adapter.hasGuid && IsEqualGUID(*guid, adapter.guid)) {
      return &adapter;
    }
  }
  return nullptr;
}

}  // namespace

Machine& Get() {
  static Machine machine;
  return machine;
}

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

int LiveObjects() { return g_live; }

void Reset() {
  Get() = Machine();
  Log().clear();
  g_live = 0;
}

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  DDSURFACEDESC2 mode = {};
  mode.dwSize = sizeof mode;
  mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  mode.ddpfPixelFormat.dwRGBBitCount = bitsPerPixel;
  return mode;
}

D3DDEVICEDESC7 DeviceDesc(const GUID& type, bool hardware, DWORD renderDepths) {
  D3DDEVICEDESC7 desc = {};
  desc.dwDevCaps = hardware ? D3DDEVCAPS_HWRASTERIZATION : 0;
  desc.dwDeviceRenderBitDepth = renderDepths;
  desc.deviceGUID = type;
  return desc;
}

GUID MakeGuid(int n) {
  GUID guid = {0x1234abcd, 0x0001, 0x0002, {0, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(n)}};
  return guid;
}

Adapter Primary(const std::string& description, bool canRenderWindowed) {
  Adapter adapter;
  adapter.description = description;
  adapter.driverCaps2 = canRenderWindowed ? DDCAPS2_CANRENDERWINDOWED : 0;
  adapter.modes = Modes16();
  return adapter;
}

Adapter Secondary(const std::string& description, int guidNumber) {
  Adapter adapter;
  adapter.hasGuid = true;
  adapter.guid = MakeGuid(guidNumber);
  adapter.description = description;
  // A secondary adapter may claim the capability; only the primary may use it.
  adapter.driverCaps2 = DDCAPS2_CANRENDERWINDOWED;
  adapter.modes = Modes16();
  return adapter;
}

std::vector<DDSURFACEDESC2> Modes16() { return {Mode(640, 480, 16), Mode(800, 600, 16)}; }

}  // namespace fake_dx

namespace dx {

HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
  fake_dx::Log().push_back("enumerate adapters " + std::to_string(flags) +
                           (context == nullptr ? "" : " (context)"));
  if (!fake_dx::Get().hasDirectDraw) return DDERR_GENERIC;
  for (fake_dx::Adapter& adapter : fake_dx::Get().adapters) {
    std::vector<char> description(adapter.description.begin(), adapter.description.end());
    description.push_back('\0');
    char driverName[] = "display";
    if (!callback(adapter.hasGuid ? &adapter.guid : nullptr, description.data(), driverName,
                  context, nullptr)) {
      fake_dx::Log().push_back("adapter enumeration stopped");
      break;
    }
  }
  return DD_OK;
}

HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer) {
  *object = nullptr;
  fake_dx::Adapter* adapter = fake_dx::FindAdapter(driverGuid);
  if (adapter == nullptr || !IsEqualGUID(iid, IID_IDirectDraw7) || outer != nullptr) {
    fake_dx::Log().push_back("create unknown");
    return DDERR_INVALIDPARAMS;
  }
  HRESULT result = DD_OK;
  if (!adapter->createResults.empty()) {
    result = adapter->createResults.front();
    adapter->createResults.erase(adapter->createResults.begin());
  }
  fake_dx::Log().push_back("create " + adapter->description + (result == DD_OK ? "" : " failed"));
  if (result != DD_OK) return result;
  *object = static_cast<IDirectDraw7*>(new fake_dx::FakeDirectDraw(*adapter));
  return DD_OK;
}

HRESULT EnumerateSoundDevices(LPDSENUMCALLBACKA callback, void* context) {
  fake_dx::Log().push_back(std::string("enumerate sound") + (context == nullptr ? "" : " (context)"));
  for (fake_dx::SoundDevice& device : fake_dx::Get().soundDevices) {
    if (!callback(device.hasGuid ? &device.guid : nullptr, device.description.c_str(), "module",
                  context)) {
      fake_dx::Log().push_back("sound enumeration stopped");
      break;
    }
  }
  return fake_dx::Get().soundResult;
}

}  // namespace dx
