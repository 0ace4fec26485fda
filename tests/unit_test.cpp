// The checker's logic in process: the survey, the report, the dialog and the export on simulated
// machines (behind the DirectX seam) and a simulated user (behind the user interface seam); the
// file writer and the version lookup on real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>
#include <d3d.h>
#include <dsound.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "app/checker_dialog.h"
#include "app/export.h"
#include "app/survey_machine.h"
#include "fileio/us_file.h"
#include "platform/directx.h"
#include "platform/memory.h"
#include "platform/ui.h"
#include "report/report.h"
#include "report/store.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "survey/driver_version.h"
#include "tests/common.h"

namespace {

constexpr std::uint64_t kMiB = 1048576;
const HWND kDialog = reinterpret_cast<HWND>(0xD1A1);

struct Device {
  std::string name;
  GUID type;
  bool hardware;
  DWORD depths = DDBD_16 | DDBD_32;
};

// A display adapter as DirectDraw shows it.
struct Adapter {
  int id = 0;      // 0: the primary display driver, enumerated without a GUID
  DWORD kind = 0;  // the DDENUM_ flag that another adapter needs to be enumerated
  std::string description;
  std::vector<HRESULT> creates;  // results of its successive creates; DD_OK once used up
  std::vector<DDSURFACEDESC2> modes;
  std::vector<Device> devices;
  bool direct3D = true;
  DWORD caps2 = DDCAPS2_CANRENDERWINDOWED;
  DDDEVICEIDENTIFIER2 identifier = {};
};

struct Machine {
  std::vector<Adapter> adapters;
  std::vector<std::pair<int, std::string>> sounds;  // a GUID's number (0: none), the description
  HRESULT soundResult = DS_OK;
  int live = 0;          // DirectDraw and Direct3D objects not yet released
  int liveAtSound = -1;  // `live` when the sound enumeration began
} g_machine;

// What the simulated user saw and did.
struct User {
  std::vector<std::string> messages;  // "text|title|flags", "owned " before an owned one
  std::string box;                    // the report box
  int closes = 0;                     // EndDialog(kDialog, 1)
  std::vector<OPENFILENAMEA> saves;   // save requests, and their texts as the prompt saw them
  std::vector<std::string> saveTexts;
  std::string savePath;               // what the user chooses
  BOOL saveResult = FALSE;
} g_user;

GUID Guid(int id) { return {0x51a00000u + id, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}; }

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits) {
  DDSURFACEDESC2 mode = {};
  mode.dwSize = sizeof mode;
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.ddpfPixelFormat.dwRGBBitCount = bits;
  return mode;
}

// A COM object as DirectDraw hands it out: a table of methods, of which the survey calls a few;
// the others share one stub that stops the test.
struct Object {
  void* const* methods;
  Adapter* adapter;
};

HRESULT STDMETHODCALLTYPE NotUsed() { std::abort(); }

void* const* Methods(void** table, int count, std::initializer_list<std::pair<int, void*>> used) {
  for (int i = 0; i < count; ++i) table[i] = reinterpret_cast<void*>(&NotUsed);
  for (const auto& [slot, method] : used) table[slot] = method;
  return table;
}

ULONG STDMETHODCALLTYPE Release(Object* self) {
  --g_machine.live;
  delete self;
  return 0;
}

HRESULT STDMETHODCALLTYPE EnumDevices(Object* self, LPD3DENUMDEVICESCALLBACK7 callback, void* context) {
  for (const Device& device : self->adapter->devices) {
    D3DDEVICEDESC7 desc = {};
    desc.dwDevCaps = device.hardware ? D3DDEVCAPS_HWRASTERIZATION : 0;
    desc.dwDeviceRenderBitDepth = device.depths;
    desc.deviceGUID = device.type;
    std::string name = device.name;  // the platform's own copies
    char description[] = "Direct3D device";
    if (callback(description, name.data(), &desc, context) != D3DENUMRET_OK) break;
  }
  return D3D_OK;
}

HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
  static void* table[8];
  static void* const* direct3D = Methods(table, 8, {{2, reinterpret_cast<void*>(&Release)}, {3, reinterpret_cast<void*>(&EnumDevices)}});
  *out = nullptr;
  if (!IsEqualGUID(iid, IID_IDirect3D7) || !self->adapter->direct3D) return E_NOINTERFACE;
  *out = new Object{direct3D, self->adapter};
  return ++g_machine.live, S_OK;
}

HRESULT STDMETHODCALLTYPE EnumModes(Object* self, DWORD flags, DDSURFACEDESC2* filter, void* context, LPDDENUMMODESCALLBACK2 callback) {
  for (DDSURFACEDESC2 mode : self->adapter->modes) {
    if (flags != 0 || filter != nullptr || callback(&mode, context) != DDENUMRET_OK) break;
  }
  return DD_OK;
}

HRESULT STDMETHODCALLTYPE GetCaps(Object* self, DDCAPS* driver, DDCAPS* hel) {
  if (driver->dwSize != 380 || hel->dwSize != 380) return DDERR_INVALIDPARAMS;
  driver->dwCaps2 = self->adapter->caps2;
  return DD_OK;
}

HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(Object* self, DDDEVICEIDENTIFIER2* identifier, DWORD flags) {
  *identifier = {};
  if (flags > DDGDI_GETHOSTIDENTIFIER) return DDERR_INVALIDPARAMS;
  std::strcpy(identifier->szDescription, "Host Adapter");
  if (flags == 0) *identifier = self->adapter->identifier;
  return DD_OK;
}

std::string Beside(const char* name) {
  char path[MAX_PATH];
  std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return self.substr(0, self.rfind('\\') + 1) + name;
}

std::string LongSoundText() {  // the primary driver, the speaker and 19 of 25 more devices
  std::string text = "\tPrimary Sound Driver\r\n\tSpeakers\r\n";
  for (int i = 1; i <= 19; ++i) text += "\t" + (i == 3 ? "" : i == 7 ? std::string(4096, 'S') : "Speakers " + std::to_string(i)) + "\r\n";
  return text;
}

// A machine with one card that has a hardware device and a Japanese name, the primary sound
// driver and a speaker.
Machine Base() {
  Adapter card{0, 0, "Simulated Display", {}, {Mode(640, 480, 16), Mode(800, 600, 16)}, {{"Direct3D HAL", IID_IDirect3DHALDevice, true}}};
  std::strcpy(card.identifier.szDescription, "\x82\x66\x82\x65\x82\x6f\x82\x74 9000");  // ＧＦＰＵ
  std::strcpy(card.identifier.szDriver, Beside("version_ja.dll").c_str());
  return {{card}, {{0, "Primary Sound Driver"}, {1, "Speakers"}}};
}

std::string Report(const std::string& card, const std::string& version, const std::string& sound) {
  return texts::ReportHead(card, version, sound) + "255.3MB\r\n";  // 255.25 MiB, see memory::
}

void Reset() {
  std::memset(g_RenderDevices, 0, sizeof g_RenderDevices);
  g_RenderDeviceCount = 0;
  g_DisplayDrivers[0].Identifier = {};
  g_DisplayDrivers[0].DriverVersion.clear();
  g_SoundDriverText.clear();
  g_SoundDeviceCount = 0;
  g_ReportText.clear();
  g_user = User();
}

}  // namespace

namespace dx {
HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
  for (Adapter& adapter : g_machine.adapters) {
    GUID guid = Guid(adapter.id);
    std::string description = adapter.description;
    char driver[] = "display";
    if ((adapter.id == 0 || (flags & adapter.kind) != 0) && !callback(adapter.id ? &guid : nullptr, description.data(), driver, context, nullptr)) break;
  }
  return DD_OK;
}

HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer) {
  static void* table[30];
  static void* const* directDraw = Methods(table, 30, {
      {0, reinterpret_cast<void*>(&QueryInterface)}, {2, reinterpret_cast<void*>(&Release)}, {8, reinterpret_cast<void*>(&EnumModes)},
      {11, reinterpret_cast<void*>(&GetCaps)}, {27, reinterpret_cast<void*>(&GetDeviceIdentifier)}});
  *object = nullptr;
  for (Adapter& adapter : g_machine.adapters) {
    const GUID guid = Guid(adapter.id);
    if (driverGuid == nullptr ? adapter.id != 0 : !IsEqualGUID(*driverGuid, guid)) continue;
    if (!IsEqualGUID(iid, IID_IDirectDraw7) || outer != nullptr) return DDERR_INVALIDPARAMS;
    const HRESULT result = adapter.creates.empty() ? DD_OK : adapter.creates.front();
    if (!adapter.creates.empty()) adapter.creates.erase(adapter.creates.begin());
    if (SUCCEEDED(result)) *object = new Object{directDraw, &adapter}, ++g_machine.live;
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

// The user: the dialog opens, and Escape closes it.
namespace ui {
int ShowMessage(HWND owner, const char* text, const char* title, UINT flags) {
  g_user.messages.push_back((owner ? "owned " : "") + std::string(text) + "|" + title + "|" + std::to_string(flags));
  return IDOK;
}
HWND DesktopWindow() { return GetDesktopWindow(); }
INT_PTR RunDialog(HINSTANCE, int, HWND, DLGPROC proc, LPARAM) {
  proc(kDialog, WM_INITDIALOG, 0, 0);
  return proc(kDialog, WM_COMMAND, IDCANCEL, 0);
}
BOOL CloseDialog(HWND dialog, INT_PTR result) { return g_user.closes += dialog == kDialog && result == 1; }
BOOL SetItemText(HWND dialog, int id, const char* text) {
  if (dialog == kDialog && id == 1000) g_user.box = text;
  return TRUE;
}
BOOL AskSaveFileName(OPENFILENAMEA* request) {
  g_user.saves.push_back(*request);
  g_user.saveTexts.push_back(std::string(request->lpstrFilter, 31) + "|" + std::string(request->lpstrFile, 260) + "|" + request->lpstrTitle + "|" + request->lpstrDefExt);
  std::strncpy(request->lpstrFile, g_user.savePath.c_str(), request->nMaxFile);
  return g_user.saveResult;
}
}  // namespace ui

namespace memory {
std::uint64_t TotalPhysicalBytes() { return 255 * kMiB + kMiB / 4; }
}  // namespace memory

namespace {

TEST(Checker, SurveysEachMachineAndShowsItsReportOrWhyNot) {
  const std::string card = "\x82\x66\x82\x65\x82\x6f\x82\x74 9000", version = "6.14.10.0411 (ja)", sound = "\tPrimary Sound Driver\r\n\tSpeakers\r\n";
  const struct {
    const char* machine;
    void (*fault)(Machine& m, Adapter& card);
    std::string message;  // the survey's failure message, or "" when the dialog opens
    std::string report;
  } cases[] = {
      {"normal", [](Machine&, Adapter&) {}, "", Report(card, version, sound)},
      {"no adapter", [](Machine& m, Adapter&) { m.adapters.clear(); }, texts::kNoDevice, ""},
      {"8-bit modes", [](Machine&, Adapter& a) { a.modes = {Mode(640, 480, 8), Mode(800, 600, 8)}; }, texts::kNoDevice, ""},
      {"no Direct3D", [](Machine&, Adapter& a) { a.direct3D = false; }, texts::kNoDevice, ""},
      {"survey's create fails", [](Machine&, Adapter& a) { a.creates = {DD_OK, DDERR_NODIRECTDRAWHW}; }, texts::kNoDirectDraw, ""},
      {"survey's create positive", [](Machine&, Adapter& a) { a.creates = {DD_OK, S_FALSE}; }, texts::kNoDirectDraw, ""},  // only DD_OK goes on
      {"positive results", [](Machine& m, Adapter& a) { a.creates = {S_FALSE}, m.soundResult = S_FALSE; }, "", Report(card, version, sound)},
      {"sound fails", [](Machine& m, Adapter&) { m.soundResult = DSERR_NODRIVER; }, texts::kNoSound, ""},
      {"unterminated driver name", [](Machine&, Adapter& a) { std::memset(a.identifier.szDriver, 'A', 512); }, "", Report(card, "", sound)},
      {"no sound device", [](Machine& m, Adapter&) { m.sounds.clear(); }, "", Report(card, version, "")},
      {"primary fails, another opens", [](Machine& m, Adapter& a) {
         Adapter second = a;
         second.id = 2, second.kind = DDENUM_ATTACHEDSECONDARYDEVICES, a.creates = {DDERR_GENERIC};
         std::strcpy(second.identifier.szDescription, "Second Card");
         m.adapters.push_back(second);
       }, "", Report("Second Card", version, sound)},
      {"long texts", [](Machine& m, Adapter& a) {  // unterminated description, 600-byte version, 25 sound devices
         std::memset(a.identifier.szDescription, 'D', 512);
         std::memset(&a.identifier.liDriverVersion, 'V', 8);
         std::strcpy(a.identifier.szDriver, Beside("version_long.dll").c_str());
         for (int i = 1; i <= 25; ++i) m.sounds.push_back({i, i == 3 ? "" : i == 7 ? std::string(4096, 'S') : "Speakers " + std::to_string(i)});
       }, "", Report(std::string(512, 'D'), std::string(texts::kDigits, 511), LongSoundText())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.machine);
    Reset();
    g_machine = Base();
    c.fault(g_machine, g_machine.adapters[0]);
    const bool opens = c.message.empty(), reachedSound = opens || c.message == texts::kNoSound;
    EXPECT_EQ(RunChecker(GetModuleHandleA(nullptr)), opens ? 0 : -1);
    EXPECT_EQ(g_user.messages, opens ? std::vector<std::string>{} : std::vector<std::string>{c.message + "|" + texts::kTitle + "|16"});
    EXPECT_EQ(g_user.box, c.report);
    EXPECT_EQ(g_machine.live, 0) << "DirectX objects left";
    EXPECT_EQ(g_machine.liveAtSound, reachedSound ? 0 : -1) << "DirectDraw released before the sound enumeration, which only a survey that gets that far starts";
    EXPECT_TRUE(reachedSound || g_DisplayDrivers[0].Identifier.szDriver[0] == '\0') << "an identifier queried";
  }
}

std::string Dims(const DDSURFACEDESC2& mode) {
  return std::to_string(mode.dwWidth) + "x" + std::to_string(mode.dwHeight) + "x" + std::to_string(mode.ddpfPixelFormat.dwRGBBitCount);
}

// A device list entry: name, adapter, type by its pointer, hardware, windowed, modes, default mode.
std::string Describe(const RenderDeviceInfo& d) {
  const GUID& type = d.DeviceGuidPtr == &d.DeviceGuid ? d.DeviceGuid : GUID_NULL;
  std::string s = std::string(d.Name) + (d.DriverGuidPtr == nullptr ? " primary" : d.DriverGuidPtr == &d.DriverGuid ? " #" + std::to_string(d.DriverGuid.Data1 & 0xFF) : " ?") +
                  (IsEqualGUID(type, IID_IDirect3DTnLHalDevice) ? " TnL" : IsEqualGUID(type, IID_IDirect3DHALDevice) ? " HAL" : IsEqualGUID(type, IID_IDirect3DRGBDevice) ? " RGB" : " ?") +
                  (d.IsHardware ? " hw" : " sw") + (d.CanRenderWindowed ? " windowed:" : ":");
  for (std::uint32_t i = 0; i < d.ModeCount; ++i) s += " " + Dims(d.Modes[i]);
  return s + " default " + std::to_string(d.DefaultModeIndex) + " " + Dims(d.DefaultMode);
}

TEST(Survey, ListsTheDevicesWithTheModesEachCanRender) {
  Reset();
  g_machine = Machine();
  Adapter primary{0, 0, "Primary", {}, {Mode(800, 600, 16), Mode(640, 480, 32), Mode(640, 480, 16), Mode(640, 400, 16), Mode(640, 480, 8), Mode(1024, 768, 24)}};
  primary.devices = {{std::string(60, 'N'), IID_IDirect3DRGBDevice, false}, {"Direct3D HAL", IID_IDirect3DHALDevice, true, DDBD_32},
                     {"Direct3D T&L HAL", IID_IDirect3DTnLHalDevice, true, DDBD_24}, {"8-bit only", IID_IDirect3DHALDevice, true, DDBD_8}};
  const Device hal = {"Direct3D HAL", IID_IDirect3DHALDevice, true};
  Adapter secondary{2, DDENUM_ATTACHEDSECONDARYDEVICES, "Secondary card with a description of 50 bytes", {}, {Mode(640, 480, 16)}, {{"RGB Emulation", IID_IDirect3DRGBDevice, false}, hal}};
  Adapter nonDisplay{3, DDENUM_NONDISPLAYDEVICES, "3D only", {}, {}, {hal}};
  for (DWORD i = 0; i < 48; ++i) nonDisplay.modes.push_back(Mode(2000 - i, 1000, 16));
  nonDisplay.modes.push_back(Mode(640, 480, 16));  // the 49th is lost
  Adapter failing{4, DDENUM_ATTACHEDSECONDARYDEVICES, "Failing", {DDERR_GENERIC}, secondary.modes, {hal}};
  Adapter noDirect3D{5, DDENUM_ATTACHEDSECONDARYDEVICES, "No Direct3D", {}, secondary.modes, {hal}, false};
  Adapter many{6, DDENUM_DETACHEDSECONDARYDEVICES, "Many", {}, secondary.modes, std::vector<Device>(20, hal)};
  g_machine.adapters = {primary, secondary, nonDisplay, failing, noDirect3D, many};

  EXPECT_TRUE(EnumerateDisplayAdapters());

  std::string deep = "3D only #3 HAL hw:";
  for (DWORD i = 0; i < 48; ++i) deep += " " + std::to_string(1953 + i) + "x1000x16";
  std::vector<std::string> expected = {
      std::string(38, 'N') + " primary RGB sw windowed: 640x400x16 640x480x16 640x480x32 800x600x16 default 1 640x480x16",
      "Direct3D HAL primary HAL hw windowed: 640x480x32 default 0 0x0x0", "Direct3D T&L HAL primary TnL hw windowed: 1024x768x24 default 0 0x0x0",
      "Secondary card with a description of 5 #2 HAL hw: 640x480x16 default 0 640x480x16", deep + " default 0 0x0x0"};
  expected.resize(16, "Many #6 HAL hw: 640x480x16 default 0 640x480x16");  // until the list is full
  ASSERT_EQ(g_RenderDeviceCount, 16u);
  for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(Describe(g_RenderDevices[i]), expected[i]) << i;
  EXPECT_EQ(g_machine.live, 0) << "DirectX objects left";
}

TEST(Survey, ChoosesTheDefaultDeviceByPreference) {
  // A letter per device in list order: T transform and lighting, H other hardware, S software,
  // R reference rasterizer; upper case when it renders in a window. The index chosen; -1: none.
  const std::pair<const char*, int> cases[] = {{"STH", 1}, {"THS", 0}, {"SH", 1}, {"SHH", 2}, {"SR", 0}, {"RS", 1}, {"R", 0},
                                               {"Hh", 0}, {"hH", 1}, {"Sht", 2}, {"htS", 1}, {"tH", 1}, {"sr", -1}, {"", -1}};
  for (const auto& [devices, chosen] : cases) {
    Reset();
    for (const char* c = devices; *c != '\0'; ++c) {
      RenderDeviceInfo& d = g_RenderDevices[g_RenderDeviceCount++];
      const char type = static_cast<char>(std::toupper(*c));
      d.DeviceGuid = type == 'T' ? IID_IDirect3DTnLHalDevice : type == 'H' ? IID_IDirect3DHALDevice : type == 'R' ? IID_IDirect3DRefDevice : IID_IDirect3DRGBDevice;
      d.DeviceGuidPtr = &d.DeviceGuid;
      d.IsHardware = type == 'T' || type == 'H';
      d.CanRenderWindowed = type == *c;
      d.ModeCount = 1;
    }
    RenderDeviceInfo* out = &g_RenderDevices[15];
    const int found = SelectDefaultDevice(&out);
    EXPECT_EQ(found ? out - g_RenderDevices : -1, chosen) << devices;
    EXPECT_TRUE(found || out == &g_RenderDevices[15]) << devices << ": out-parameter changed";
  }
}

TEST(Report, ShowsTheMemoryInMiBWithOneDecimalHalvesUp) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0.0"}, {512 * kMiB, "512.0"}, {255 * kMiB + kMiB / 4, "255.3"}, {1023 * kMiB + 3 * kMiB / 4, "1023.8"}, {52428, "0.0"}, {52429, "0.1"},
      {99999 * kMiB + 996148, "100000.0"}, {4294967295ull, "4096.0"}, {25276153856ull, "24105.2"}, {18446744073709551615ull, "17592186044416.0"}};
  for (const auto& [bytes, shown] : cases) EXPECT_EQ(FormatMemoryMiB(bytes), shown) << bytes;
}

TEST(Dialog, ClosesOnCloseOrEscapeAndAsksToSaveWithTheExactRequest) {
  Reset();
  for (WPARAM ignored : {WPARAM(0), WPARAM(1000), MAKEWPARAM(1000, EN_CHANGE), WPARAM(3)}) EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, ignored, 0), FALSE);
  EXPECT_EQ(g_user.closes, 0);
  for (WPARAM close : {WPARAM(IDOK), WPARAM(IDCANCEL), MAKEWPARAM(IDCANCEL, BN_CLICKED)}) EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, close, 0), FALSE);
  EXPECT_EQ(g_user.closes, 3);

  g_user.savePath = "C:\\elsewhere.txt";  // typed, then cancelled: the next export proposes afresh
  for (int i = 0; i < 2; ++i) EXPECT_EQ(CheckerDlgProc(kDialog, WM_COMMAND, 1001, 0), FALSE);
  EXPECT_TRUE(g_user.messages.empty()) << "a cancelled export says nothing";
  ASSERT_EQ(g_user.saves.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const OPENFILENAMEA& r = g_user.saves[i];
    OPENFILENAMEA expected = {};
    expected.lStructSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);  // the NT4 form, 76 bytes in 32 bits
    expected.hwndOwner = kDialog;
    expected.nFilterIndex = 1;
    expected.nMaxFile = 260;
    expected.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    expected.lpstrFilter = r.lpstrFilter, expected.lpstrFile = r.lpstrFile, expected.lpstrTitle = r.lpstrTitle, expected.lpstrDefExt = r.lpstrDefExt;
    EXPECT_EQ(std::memcmp(&r, &expected, sizeof r), 0) << "request " << i;
    EXPECT_EQ(g_user.saveTexts[i], texts::kFilter + "|QvxCheck.txt" + std::string(248, '\0') + "|" + texts::kSaveTitle + "|txt");
  }
}

// "code message|file" of the CUSFileError that `action` throws, caught by a handler that does not
// take it for a standard exception.
template <typename Action>
std::string Thrown(Action action) {
  try {
    action();
  } catch (const std::exception&) {
    return "a std::exception";
  } catch (const CUSFileError& error) {
    return std::to_string(error.Code()) + " " + error.Message() + "|" + error.FileName();
  }
  return "nothing thrown";
}

bool OthersCanOpen(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

TEST(FileWriter, WritesExactlyWhatItIsGivenAndRefusesWhatItCannotDo) {
  const std::string dir = NewFolder("qvx_unit_"), held = dir + "\\held.txt", other = dir + "\\other.txt", missing = dir + "\\missing\\x.txt";
  const std::string japanese = dir + "\\\x95\x5c\x83\x5c.txt", bytes("\x81\x83\r\n\t\0\xff\n", 8);  // 表ソ: second bytes 0x5C
  CUSFile writer;
  EXPECT_EQ(Thrown([&] { writer.Write("x", 1); }), "6 Don't Write|");
  std::ofstream(held) << std::string(1000, 'o');
  writer.Open(held);
  writer.Close();
  EXPECT_EQ(Read(held), "") << "emptied even when nothing is written";
  writer.Open(held);
  EXPECT_FALSE(OthersCanOpen(held)) << "held without sharing";
  EXPECT_EQ(Thrown([&] { writer.Write("x", 0); }), "6 Don't Write|" + held);
  EXPECT_EQ(Thrown([&] { writer.Open(other); }), "4 Already Open(Save)|" + other);
  writer.Write(bytes.data(), 5);
  writer.Write(bytes.data() + 5, 3);
  writer.Close();
  EXPECT_EQ(Read(held), bytes);
  EXPECT_EQ(GetFileAttributesA(other.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Thrown([&] { writer.Write("x", 1); }), "6 Don't Write|" + held);
  EXPECT_EQ(Thrown([&] { writer.Open(missing); }), "2 Don't Open File(Save)|" + missing);
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(Thrown([&] { writer.Open(held); }), "2 Don't Open File(Save)|" + held) << "held by another program";
  CloseHandle(holder);
  EXPECT_EQ(Read(held), bytes) << "and kept";
  {
    CUSFile scoped;
    scoped.Open(japanese);
    EXPECT_NE(GetFileAttributesA(japanese.c_str()), INVALID_FILE_ATTRIBUTES) << "created";
    scoped.Write("ok", 2);
  }
  EXPECT_TRUE(Read(japanese) == "ok" && OthersCanOpen(japanese)) << "written, and closed when the writer goes";
  for (const std::string& file : {held, japanese}) DeleteFileA(file.c_str());
  EXPECT_TRUE(RemoveDirectoryA(dir.c_str()));
}

TEST(DriverVersion, ReadsTheFirstTranslationsFileVersionFromRealFiles) {
  const struct {
    const char* file;
    int size, result;
    std::string text;
  } cases[] = {
      {"version_ja.dll", 512, 1, "6.14.10.0411 (ja)"},  // \StringFileInfo\041104b0\FileVersion
      {"version_long.dll", 512, 1, std::string(texts::kDigits, 511)},  // 600 bytes, cut
      {"version_long.dll", 8, 1, "0123456"}, {"version_second.dll", 512, 0, ""},  // only the second translation has one
      {"version_no_translation.dll", 512, 0, ""}, {"version_none.dll", 512, 0, ""}, {"no_such_file.dll", 512, 0, ""}};
  for (const auto& c : cases) {
    char buffer[520];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(GetDriverFileVersion(buffer, c.size, Beside(c.file).c_str()), c.result) << c.file;
    const std::string written = c.result ? c.text + std::string(c.size - c.text.size(), '\0') : std::string(c.size, 'X');
    EXPECT_EQ(std::string(buffer, sizeof buffer), written + std::string(sizeof buffer - c.size, 'X')) << c.file;
  }
}

}  // namespace
