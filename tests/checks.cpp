// The checker's checks, without a test framework so that the 32-bit build runs them too. In process:
// the logic on simulated machines and a simulated user, the file writer and the version lookup on
// real files. From outside: the checker under the platform's real dialogs, DirectX and DirectSound.
// Usage: checks DIR [EXE...]  DIR: QvxCheck.exe beside planted ddraw.dll and dsound.dll, which it
// must pass by, and full.txt, a link to /dev/full. The dialog template of each EXE is checked too.
// QVX_NO_SOUND: the platform has no sound device. Prints a line per check and the counts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/checker_dialog.h"
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

namespace {

int g_passed = 0, g_failed = 0;

bool Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  return std::fflush(stdout), ++(ok ? g_passed : g_failed), ok;
}

template <typename T, typename U>
void Same(const T& actual, const U& expected, const std::string& what) {
  std::ostringstream both;
  if (!Check(actual == expected, what)) both << "  got:      " << actual << "\n  expected: " << expected << "\n", std::printf("%s", both.str().c_str());
}

// The checker's texts as Shift-JIS bytes, written out so that a wrong conversion of its sources
// shows. Quorvexマシン環境情報チェッカー; DirectDraw/DirectSound + デバイスの列挙に失敗しました。;
// DirectDrawインターフェースの取得に失敗しました。 LF DirectX7はきちんとインストールされてますか？;
// 出力に成功しました。|成功 and 出力に失敗しました。|エラー; ファイルの保存; テキストファイル(*.txt).
const std::string kTitle = "Quorvex\x83\x7d\x83\x56\x83\x93\x8a\xc2\x8b\xab\x8f\xee\x95\xf1\x83\x60\x83\x46\x83\x62\x83\x4a\x81\x5b";
const std::string kEnumFailed = "\x83\x66\x83\x6f\x83\x43\x83\x58\x82\xcc\x97\xf1\x8b\x93\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const std::string kNoDevice = "DirectDraw" + kEnumFailed, kNoSound = "DirectSound" + kEnumFailed;
const std::string kNoDirectDraw =
    "DirectDraw\x83\x43\x83\x93\x83\x5e\x81\x5b\x83\x74\x83\x46\x81\x5b\x83\x58\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\n"
    "DirectX7\x82\xcd\x82\xab\x82\xbf\x82\xf1\x82\xc6\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb3\x82\xea\x82\xc4\x82\xdc\x82\xb7\x82\xa9\x81\x48";
const std::string kSavedTitle = "\x90\xac\x8c\xf7", kSaved = "\x8f\x6f\x97\xcd\x82\xc9\x90\xac\x8c\xf7\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42|" + kSavedTitle;
const std::string kFailedTitle = "\x83\x47\x83\x89\x81\x5b", kFailed = "\x8f\x6f\x97\xcd\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42|" + kFailedTitle;
const std::string kCaption = kTitle + "  Ver.1.00", kSaveTitle = "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x95\xdb\x91\xb6";
const std::string kFilter("\x83\x65\x83\x4c\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b(*.txt)\0*.txt\0", 31);

// The report up to its memory figure: ＜ビデオカード＞, ＜ビデオカードドライバのバージョン情報＞,
// ＜サウンドドライバー一覧＞ and ＜搭載メインメモリ＞ with their values.
std::string ReportHead(const std::string& card, const std::string& version, const std::string& sound) {
  return "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x81\x84\r\n\t" + card +
         "\r\n\r\n\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1\x81\x84\r\n\t" +
         version + "\r\n\t\r\n\x81\x83\x83\x54\x83\x45\x83\x93\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f\x81\x5b\x88\xea\x97\x97\x81\x84\r\n" + sound +
         "\r\n\x81\x83\x93\x8b\x8d\xda\x83\x81\x83\x43\x83\x93\x83\x81\x83\x82\x83\x8a\x81\x84\r\n\t";
}

std::string Read(const std::string& path) {
  std::ostringstream content;
  return content << std::ifstream(path, std::ios::binary).rdbuf(), content.str();
}

std::string Digits(size_t count) {  // "0123456789012...", the version text of version_long.dll
  std::string digits;
  while (digits.size() < count) digits += static_cast<char>('0' + digits.size() % 10);
  return digits;
}

std::string NewFolder() {  // in the temporary folder, unique however Wine numbers processes
  char temp[MAX_PATH];
  LARGE_INTEGER now;
  while (GetTempPathA(MAX_PATH, temp), QueryPerformanceCounter(&now), !CreateDirectoryA((temp + std::to_string(now.QuadPart)).c_str(), nullptr)) {}
  return temp + std::to_string(now.QuadPart);
}

// ---- A simulated machine behind the DirectX seam. It behaves like DirectDraw and DirectSound, and
// counts the objects it hands out that are not yet released.

struct Device { std::string name; GUID type; bool hardware; DWORD depths = DDBD_16 | DDBD_32; };

struct Adapter {
  int id = 0;      // 0: the primary display driver, enumerated without a GUID
  DWORD kind = 0;  // the DDENUM_ flag that another adapter needs to be enumerated
  std::string description;
  std::vector<HRESULT> creates;  // results of its successive creates; DD_OK once used up
  std::vector<DDSURFACEDESC2> modes;
  std::vector<Device> devices;
  bool direct3D = true;
  DDDEVICEIDENTIFIER2 identifier = {};
};

struct Machine {
  std::vector<Adapter> adapters;
  std::vector<std::pair<int, std::string>> sounds;  // a GUID's number (0: none), the description
  HRESULT soundResult = DS_OK;
  int live = 0;          // DirectDraw and Direct3D objects not yet released
  int liveAtSound = -1;  // `live` when the sound enumeration began
} g_machine;

GUID Guid(int id) { return {0x51a00000u + id, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}; }

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits) {
  DDSURFACEDESC2 mode = {sizeof mode, 0, height, width};
  return mode.ddpfPixelFormat.dwRGBBitCount = bits, mode;
}

// A COM object as DirectDraw hands it out: a table of methods. IDirectDraw7 and IDirect3D7 share
// one, as the survey calls no slot that differs in use; the rest stop the checks.
struct Object { void* const* methods; Adapter* adapter; };

HRESULT STDMETHODCALLTYPE NotUsed() { std::abort(); }
ULONG STDMETHODCALLTYPE Release(Object* self) { return delete self, --g_machine.live, 0; }

HRESULT STDMETHODCALLTYPE EnumDevices(Object* self, LPD3DENUMDEVICESCALLBACK7 callback, void* context) {  // IDirect3D7 slot 3
  for (const Device& device : self->adapter->devices) {
    D3DDEVICEDESC7 desc = {device.hardware ? DWORD(D3DDEVCAPS_HWRASTERIZATION) : 0};
    desc.dwDeviceRenderBitDepth = device.depths, desc.deviceGUID = device.type;
    std::string name = device.name;  // the platform's own copies
    char description[] = "Direct3D device";
    if (callback(description, name.data(), &desc, context) != D3DENUMRET_OK) break;
  }
  return D3D_OK;
}

HRESULT STDMETHODCALLTYPE EnumModes(Object* self, DWORD flags, DDSURFACEDESC2* filter, void* context, LPDDENUMMODESCALLBACK2 callback) {
  for (DDSURFACEDESC2 mode : self->adapter->modes) {
    if (flags != 0 || filter != nullptr || callback(&mode, context) != DDENUMRET_OK) break;
  }
  return DD_OK;
}

HRESULT STDMETHODCALLTYPE GetCaps(Object*, DDCAPS* driver, DDCAPS* hel) {
  if (driver->dwSize != 380 || hel->dwSize != 380) return DDERR_INVALIDPARAMS;
  return driver->dwCaps2 = DDCAPS2_CANRENDERWINDOWED, DD_OK;  // which only the primary may use
}

HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(Object* self, DDDEVICEIDENTIFIER2* identifier, DWORD flags) {
  *identifier = {};
  std::strcpy(identifier->szDescription, "Host Adapter");
  if (flags == 0) *identifier = self->adapter->identifier;
  return flags > DDGDI_GETHOSTIDENTIFIER ? DDERR_INVALIDPARAMS : DD_OK;
}

HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualGUID(iid, IID_IDirect3D7) || !self->adapter->direct3D) return E_NOINTERFACE;
  return *out = new Object{self->methods, self->adapter}, ++g_machine.live, S_OK;
}

void* const* Methods() {
  static void* table[30];
  for (void*& method : table) method = reinterpret_cast<void*>(&NotUsed);
  table[0] = reinterpret_cast<void*>(&QueryInterface), table[2] = reinterpret_cast<void*>(&Release), table[3] = reinterpret_cast<void*>(&EnumDevices);
  table[8] = reinterpret_cast<void*>(&EnumModes), table[11] = reinterpret_cast<void*>(&GetCaps), table[27] = reinterpret_cast<void*>(&GetDeviceIdentifier);
  return table;
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
  static void* const* methods = Methods();
  *object = nullptr;
  for (Adapter& adapter : g_machine.adapters) {
    if (driverGuid == nullptr ? adapter.id != 0 : !IsEqualGUID(*driverGuid, Guid(adapter.id))) continue;
    if (!IsEqualGUID(iid, IID_IDirectDraw7) || outer != nullptr) return DDERR_INVALIDPARAMS;
    const HRESULT result = adapter.creates.empty() ? DD_OK : adapter.creates.front();
    if (!adapter.creates.empty()) adapter.creates.erase(adapter.creates.begin());
    if (SUCCEEDED(result)) *object = new Object{methods, &adapter}, ++g_machine.live;
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

// ---- A simulated user: the dialog opens and Escape closes it; a save request is cancelled.
namespace {
const HWND kDialog = reinterpret_cast<HWND>(0xD1A1);
struct User {
  std::vector<std::string> messages;  // "text|title|flags", "owned " before an owned one
  std::string box;                    // the report box
  int closes = 0;                     // EndDialog(kDialog, 1)
  std::vector<OPENFILENAMEA> saves;
} g_user;
}  // namespace

namespace ui {
int ShowMessage(HWND owner, const char* text, const char* title, UINT flags) {
  return g_user.messages.push_back((owner ? "owned " : "") + std::string(text) + "|" + title + "|" + std::to_string(flags)), IDOK;
}
HWND DesktopWindow() { return GetDesktopWindow(); }
INT_PTR RunDialog(HINSTANCE, int, HWND, DLGPROC proc, LPARAM) { return proc(kDialog, WM_INITDIALOG, 0, 0), proc(kDialog, WM_COMMAND, IDCANCEL, 0); }
BOOL CloseDialog(HWND dialog, INT_PTR result) { return g_user.closes += dialog == kDialog && result == 1; }
BOOL SetItemText(HWND dialog, int id, const char* text) { return g_user.box = dialog == kDialog && id == 1000 ? text : "wrong box", TRUE; }
BOOL AskSaveFileName(OPENFILENAMEA* request) { return g_user.saves.push_back(*request), FALSE; }
}  // namespace ui

namespace memory {
std::uint64_t TotalPhysicalBytes() { return 255 * 1048576 + 1048576 / 4; }  // 255.25 MiB
}  // namespace memory

namespace {

void Reset() {
  std::memset(g_RenderDevices, 0, sizeof g_RenderDevices);
  g_RenderDeviceCount = g_SoundDeviceCount = 0;
  g_DisplayDrivers[0].Identifier = {};
  g_DisplayDrivers[0].DriverVersion = g_SoundDriverText = g_ReportText = "";
  g_user = User(), g_machine = Machine();
}

void CheckMachines() {
  const std::string card = "\x82\x66\x82\x65\x82\x6f\x82\x74 9000", version = "6.14.10.0411 (ja)", sound = "\tPrimary Sound Driver\r\n\tSpeakers\r\n";  // ＧＦＰＵ
  const std::string digits = Digits(511);
  std::string many = sound + "\t" + std::string(4096, 'S') + "\r\n";  // and 18 more empty descriptions: 20 with a GUID
  for (int i = 2; i <= 19; ++i) many += "\t\r\n";
  const struct {
    const char* machine;
    void (*fault)(Machine& m, Adapter& card);
    std::string message;  // the survey's failure message, or "" when the dialog opens with the report
    std::string report;
  } cases[] = {
      {"normal", [](Machine&, Adapter&) {}, "", ReportHead(card, version, sound)},
      {"only 8-bit modes", [](Machine&, Adapter& a) { a.modes = {Mode(640, 480, 8), Mode(800, 600, 8)}; }, kNoDevice, ""},
      {"the survey's create fails", [](Machine&, Adapter& a) { a.creates = {DD_OK, DDERR_NODIRECTDRAWHW}; }, kNoDirectDraw, ""},
      {"the survey's create is positive", [](Machine&, Adapter& a) { a.creates = {DD_OK, S_FALSE}; }, kNoDirectDraw, ""},  // only DD_OK goes on
      {"positive results", [](Machine& m, Adapter& a) { a.creates = {S_FALSE}, m.soundResult = S_FALSE; }, "", ReportHead(card, version, sound)},
      {"sound fails", [](Machine& m, Adapter&) { m.soundResult = DSERR_NODRIVER; }, kNoSound, ""},
      {"an unterminated driver name", [](Machine&, Adapter& a) { std::memset(a.identifier.szDriver, 'A', 512); }, "", ReportHead(card, "", sound)},
      {"no sound device", [](Machine& m, Adapter&) { m.sounds.clear(); }, "", ReportHead(card, version, "")},
      {"the primary fails, another opens", [](Machine& m, Adapter& a) {  // a becomes the other one
         std::strcpy(a.identifier.szDescription, "Second Card"), a.id = 2, a.kind = DDENUM_ATTACHEDSECONDARYDEVICES;
         m.adapters.insert(m.adapters.begin(), a), m.adapters[0].id = 0, m.adapters[0].creates = {DDERR_GENERIC};
       }, "", ReportHead("Second Card", version, sound)},
      {"long texts", [](Machine& m, Adapter& a) {  // an unterminated description, a 600-byte version, 25 sound devices
         std::memset(a.identifier.szDescription, 'D', 512);
         std::memset(&a.identifier.liDriverVersion, 'V', 4);  // and a zero byte after
         std::strcpy(a.identifier.szDriver, "version_long.dll");
         for (int i = 1; i <= 25; ++i) m.sounds.push_back({i, std::string(i == 1 ? 4096 : 0, 'S')});
       }, "", ReportHead(std::string(512, 'D'), digits, many)},
  };
  for (const auto& c : cases) {
    Reset();
    Adapter base{0, 0, "Simulated Display", {}, {Mode(640, 480, 16), Mode(800, 600, 16)}, {{"Direct3D HAL", IID_IDirect3DHALDevice, true}}};
    std::strcpy(base.identifier.szDescription, card.c_str());
    std::strcpy(base.identifier.szDriver, "version_ja.dll");  // beside this program; drivers are in the system's folder
    g_machine = {{base}, {{0, "Primary Sound Driver"}, {1, "Speakers"}}};
    c.fault(g_machine, g_machine.adapters[0]);
    const bool opens = c.message.empty(), reachedSound = opens || c.message == kNoSound;
    const std::string what = std::string("machine with ") + c.machine + ": ";
    Same(RunChecker(GetModuleHandleA(nullptr)), opens ? 0 : -1, what + "the exit code");
    Same(g_user.messages.empty() ? "" : g_user.messages[0] + (g_user.messages.size() > 1 ? " and more" : ""), opens ? "" : c.message + "|" + kTitle + "|16", what + "the survey's message");
    Same(g_user.box, c.report.empty() ? "" : c.report + "255.3MB\r\n", what + "the report in its box");
    Same(g_machine.live, 0, what + "every DirectX object released");
    Same(g_machine.liveAtSound, reachedSound ? 0 : -1, what + "DirectDraw released before the sound enumeration, which only a survey that gets that far starts");
    Check(reachedSound || g_DisplayDrivers[0].Identifier.szDriver[0] == '\0', what + "no identifier queried after the failure");
  }
}

// A device list entry: name, adapter, type by its pointer, hardware, windowed, modes, default mode.
std::string Describe(const RenderDeviceInfo& d) {
  const auto dims = [](const DDSURFACEDESC2& m) { return std::to_string(m.dwWidth) + "x" + std::to_string(m.dwHeight) + "x" + std::to_string(m.ddpfPixelFormat.dwRGBBitCount); };
  const GUID& type = d.DeviceGuidPtr == &d.DeviceGuid ? d.DeviceGuid : GUID_NULL;
  std::string s = std::string(d.Name) + (d.DriverGuidPtr == nullptr ? " primary" : d.DriverGuidPtr == &d.DriverGuid ? " #" + std::to_string(d.DriverGuid.Data1 & 0xFF) : " ?") +
                  (IsEqualGUID(type, IID_IDirect3DTnLHalDevice) ? " TnL" : IsEqualGUID(type, IID_IDirect3DHALDevice) ? " HAL" : IsEqualGUID(type, IID_IDirect3DRGBDevice) ? " RGB" : " ?") +
                  (d.IsHardware ? " hw" : " sw") + (d.CanRenderWindowed ? " windowed:" : ":");
  for (std::uint32_t i = 0; i < d.ModeCount; ++i) s += " " + dims(d.Modes[i]);
  return s + " default " + std::to_string(d.DefaultModeIndex) + " " + dims(d.DefaultMode);
}

void CheckDeviceList() {
  Reset();
  Adapter primary{0, 0, "Primary", {}, {Mode(800, 600, 16), Mode(640, 480, 32), Mode(640, 480, 16), Mode(640, 400, 16), Mode(640, 480, 8), Mode(1024, 768, 24),
                                     Mode(720, 480, 16), Mode(640, 512, 16)}};
  primary.devices = {{std::string(60, 'N'), IID_IDirect3DRGBDevice, false}, {"Direct3D HAL", IID_IDirect3DHALDevice, true, DDBD_32},
                     {"Direct3D T&L HAL", IID_IDirect3DTnLHalDevice, true, DDBD_24}, {"8-bit only", IID_IDirect3DHALDevice, true, DDBD_8}};
  const Device hal = {"Direct3D HAL", IID_IDirect3DHALDevice, true};
  Adapter secondary{2, DDENUM_ATTACHEDSECONDARYDEVICES, "Secondary card with a description of 50 bytes", {}, {Mode(640, 480, 16)}, {{"RGB Emulation", IID_IDirect3DRGBDevice, false}, hal}};
  Adapter nonDisplay{3, DDENUM_NONDISPLAYDEVICES, "3D only", {}, {}, {hal}};
  for (DWORD i = 0; i < 48; ++i) nonDisplay.modes.push_back(Mode(2000 - i, 1000, 16));
  nonDisplay.modes.push_back(Mode(640, 480, 16));  // the 49th is lost
  Adapter noDirect3D{5, DDENUM_ATTACHEDSECONDARYDEVICES, "No Direct3D", {}, secondary.modes, {hal}, false};
  Adapter many{6, DDENUM_DETACHEDSECONDARYDEVICES, "Many", {}, secondary.modes, std::vector<Device>(20, hal)};
  g_machine.adapters = {primary, secondary, nonDisplay, noDirect3D, many};
  Same(EnumerateDisplayAdapters(), true, "devices found");
  std::string deep = "3D only #3 HAL hw:";
  for (DWORD i = 0; i < 48; ++i) deep += " " + std::to_string(1953 + i) + "x1000x16";
  std::vector<std::string> expected = {
      std::string(38, 'N') + " primary RGB sw windowed: 640x400x16 640x480x16 640x480x32 640x512x16 720x480x16 800x600x16 default 1 640x480x16",
      "Direct3D HAL primary HAL hw windowed: 640x480x32 default 0 0x0x0", "Direct3D T&L HAL primary TnL hw windowed: 1024x768x24 default 0 0x0x0",
      "Secondary card with a description of 5 #2 HAL hw: 640x480x16 default 0 640x480x16", deep + " default 0 0x0x0"};
  expected.resize(16, "Many #6 HAL hw: 640x480x16 default 0 640x480x16");  // until the list is full
  std::string listed, wanted;
  for (std::uint32_t i = 0; i < g_RenderDeviceCount && i < 17; ++i) listed += Describe(g_RenderDevices[i]) + "\n";
  for (const std::string& line : expected) wanted += line + "\n";
  Same(listed, wanted, "the device list: each device with the modes it can render");
  Same(g_machine.live, 0, "every DirectX object released");
}

void CheckDefaultDevice() {
  // A letter per device in list order: T transform and lighting, H other hardware, S software,
  // R reference rasterizer; upper case when it renders in a window. The index chosen; -1: none.
  const std::pair<const char*, int> cases[] = {{"STH", 1}, {"THS", 0}, {"SH", 1}, {"SHH", 2}, {"SR", 0}, {"RS", 1}, {"R", 0},
                                               {"Hh", 0}, {"hH", 1}, {"Sht", 2}, {"htS", 1}, {"tH", 1}, {"SS", 1}, {"sr", -1}, {"", -1}};
  for (const auto& [devices, chosen] : cases) {
    Reset();
    for (const char* c = devices; *c != '\0'; ++c) {
      RenderDeviceInfo& d = g_RenderDevices[g_RenderDeviceCount++];
      const char type = static_cast<char>(std::toupper(*c));
      d.DeviceGuid = type == 'T' ? IID_IDirect3DTnLHalDevice : type == 'H' ? IID_IDirect3DHALDevice : type == 'R' ? IID_IDirect3DRefDevice : IID_IDirect3DRGBDevice;
      d.DeviceGuidPtr = &d.DeviceGuid, d.IsHardware = type == 'T' || type == 'H', d.CanRenderWindowed = type == *c, d.ModeCount = 1;
    }
    RenderDeviceInfo* out = &g_RenderDevices[15];
    const int found = SelectDefaultDevice(&out);
    Same(found ? static_cast<int>(out - g_RenderDevices) : out == &g_RenderDevices[15] ? -1 : -2, chosen, std::string("the default device of '") + devices + "' (-2: changed)");
  }
}

void CheckReportAndDialog() {
  const std::pair<std::uint64_t, const char*> memory[] = {
      {0, "0.0"}, {512ull << 20, "512.0"}, {(255ull << 20) + (1 << 18), "255.3"}, {(1023ull << 20) + (3 << 18), "1023.8"}, {52428, "0.0"}, {52429, "0.1"},
      {(99999ull << 20) + 996148, "100000.0"}, {4294967295ull, "4096.0"}, {25276153856ull, "24105.2"}, {18446744073709551615ull, "17592186044416.0"}};
  for (const auto& [bytes, shown] : memory) Same(FormatMemoryMiB(bytes), std::string(shown), "the memory figure of " + std::to_string(bytes) + " bytes");

  Reset();
  for (WPARAM ignored : {WPARAM(0), WPARAM(1000), MAKEWPARAM(1000, EN_CHANGE), WPARAM(3)}) CheckerDlgProc(kDialog, WM_COMMAND, ignored, 0);
  Same(g_user.closes, 0, "other commands leave the dialog open");
  for (WPARAM close : {WPARAM(IDOK), WPARAM(IDCANCEL), MAKEWPARAM(IDCANCEL, BN_CLICKED)}) CheckerDlgProc(kDialog, WM_COMMAND, close, 0);
  Same(g_user.closes, 3, "close and Escape end the dialog with 1");
  CheckerDlgProc(kDialog, WM_COMMAND, 1001, 0);
  const OPENFILENAMEA r = g_user.saves.empty() ? OPENFILENAMEA{} : g_user.saves.back();
  // The NT4 form of the request (76 bytes in 32 bits) with the filter, the title and "txt"; the rest is 0.
  const OPENFILENAMEA expected = {offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR), kDialog, nullptr, r.lpstrFilter, nullptr, 0, 1, r.lpstrFile, 260,
                                  nullptr, 0, nullptr, r.lpstrTitle, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, 0, 0, r.lpstrDefExt};
  Check(r.lpstrFilter && std::memcmp(&r, &expected, sizeof r) == 0 && std::string(r.lpstrFilter, 31) + r.lpstrTitle + r.lpstrDefExt == kFilter + kSaveTitle + "txt",
        "the export asks to save with the exact request");
}

// "code message|file" of the CUSFileError that `action` throws, which no std::exception handler takes.
template <typename Action>
std::string Thrown(Action action) {
  try {
    action();
  } catch (const std::exception&) {
    return "a std::exception";
  } catch (const CUSFileError& e) {
    return std::to_string(e.Code()) + " " + e.Message() + "|" + e.FileName();
  }
  return "nothing thrown";
}

void CheckFiles() {
  const std::string dir = NewFolder(), held = dir + "\\held.txt", other = dir + "\\other.txt", missing = dir + "\\missing\\x.txt", bytes("\x81\x83\r\n\t\0\xff\n", 8);
  {
    CUSFile writer;
    writer.Open(held);
    Check(CreateFileA(held.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE, "the writer holds its file without sharing");
    Same(Thrown([&] { writer.Write("x", 0); }) + ", " + Thrown([&] { writer.Open(other); }) + ", " + Thrown([&] { CUSFile().Open(missing); }),
         "6 Don't Write|" + held + ", 4 Already Open(Save)|" + other + ", 2 Don't Open File(Save)|" + missing, "it refuses to write nothing, a second file, a missing folder");
    writer.Write(bytes.data(), 5);
    writer.Write(bytes.data() + 5, 3);
  }
  Same(Read(held), bytes, "it writes one write after the other, unconverted, and closes the file when it goes");
  Check(DeleteFileA(held.c_str()) && RemoveDirectoryA(dir.c_str()), "the files and folder are removed");

  const struct {
    const char* file;
    int size, result;
    std::string text;  // the FileVersion text of the first translation, up to size - 1 bytes
  } versions[] = {{"version_ja.dll", 512, 1, "6.14.10.0411 (ja)"}, {"version_long.dll", 512, 1, Digits(511)}, {"version_long.dll", 8, 1, "0123456"},
                  {"version_second.dll", 512, 0, ""}, {"version_no_translation.dll", 512, 0, ""}, {"no_such_file.dll", 512, 0, ""}};
  for (const auto& c : versions) {
    char buffer[520];
    std::memset(buffer, 'X', sizeof buffer);
    const int result = GetDriverFileVersion(buffer, c.size, c.file);
    Same(std::to_string(result) + std::string(buffer, sizeof buffer),
         std::to_string(c.result) + (c.result ? c.text + std::string(c.size - c.text.size(), '\0') : std::string(c.size, 'X')) + std::string(sizeof buffer - c.size, 'X'),
         std::string("the version of ") + c.file + " in " + std::to_string(c.size) + " bytes");
  }
}

// ---- The checker itself, from outside.

std::string Text(HWND window) {
  std::string text(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  return text.substr(0, SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
}

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

BOOL CALLBACK AddSound(GUID*, const char* name, const char*, void* text) { return *static_cast<std::string*>(text) += "\t" + std::string(name) + "\r\n", TRUE; }

// The checker, started with Wine's load order for its ddraw.dll and dsound.dll set to `order`:
// "native,builtin" prefers a DLL beside the program to Wine's own, "" disables them.
struct Program {
  PROCESS_INFORMATION info = {};
  Program(const std::string& exe, const std::string& folder, const char* order) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\QvxCheck.exe\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    for (const char* dll : {"ddraw", "dsound"}) RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), std::strlen(order) + 1);
    RegCloseKey(key);
    STARTUPINFOA startup = {sizeof startup};
    std::string line = "\"" + exe + "\"";
    Check(CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info), "start " + exe);
  }
  ~Program() { TerminateProcess(info.hProcess, 99), CloseHandle(info.hProcess), CloseHandle(info.hThread); }
  DWORD ExitCode(DWORD code = 0) { return WaitForSingleObject(info.hProcess, 60000), GetExitCodeProcess(info.hProcess, &code), code; }
  // A visible window of the program with one of these titles, a message box (which has its text
  // in control 0xFFFF) or not; waits at most `ms`, then says what windows there were.
  HWND Find(const std::vector<std::string>& titles, bool box, DWORD ms = 60000) {
    for (const DWORD start = GetTickCount();; Sleep(100)) {
      std::string seen;
      for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, nullptr, nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process != info.dwProcessId || !IsWindowVisible(w)) continue;
        seen += " '" + Text(w) + "'";
        if (std::count(titles.begin(), titles.end(), Text(w)) && (GetDlgItem(w, 0xFFFF) != nullptr) == box) return Sleep(200), w;  // let it draw
      }
      if (GetTickCount() - start < ms) continue;
      DWORD code = 0;
      GetExitCodeProcess(info.hProcess, &code);
      if (ms != 0) std::printf("no '%s' after %lu ms; windows:%s; exit code %lu (259: it runs)\n", titles[0].c_str(), ms, seen.c_str(), code);
      return nullptr;
    }
  }
  // Presses the export button, checks what the save dialog proposes, names `path` there, agrees
  // to replace the file when asked, and gives "text|title" of the result box, which it dismisses.
  std::string Export(HWND dialog, const std::string& path, bool replace) {
    Press(dialog, 1001);
    HWND save = Find({kSaveTitle}, false), name = GetDlgItem(save, 0x47C);  // the file name's combo box
    Check(Text(name) == "QvxCheck.txt" && Text(GetDlgItem(save, 0x470)) == kFilter.substr(0, 23) && !IsWindowEnabled(dialog),
          "the save dialog proposes QvxCheck.txt with the one filter, and holds the checker dialog");
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(save, IDOK);
    if (HWND question = replace ? Find({kSaveTitle}, true) : nullptr) Press(question, IDYES);
    HWND box = Find({kSavedTitle, kFailedTitle}, true);
    const std::string result = box ? Text(GetDlgItem(box, 0xFFFF)) + "|" + Text(box) : "no result box";
    return Press(box, IDOK), result;
  }
};

// The dialog template. DLGTEMPLATE: style, extended style, 3 controls, x, y, cx,
// cy, no menu, the dialog class, the caption, 9 points and the face; then each control on a 4-byte
// boundary: style, extended style, x, y, cx, cy, id, class (0x80 button, 0x81 edit), text, no data.
void CheckTemplate(const std::string& exe) {
  static const std::wstring kTemplate(
      L"\x00C0\x80C8\0\0\x0003\0\0\x00BD\x0095\0\0" L"Quorvexマシン環境情報チェッカー  Ver.1.00\0" L"\x0009ＭＳ Ｐゴシック\0\0"
      L"\x0001\x5001\0\0\x00A0\x0082\x0017\x000E\x0001\xFFFF\x0080閉じる\0\0" L"\x18C4\x50A1\0\0\x0005\x0005\x00AF\x0073\x03E8\xFFFF\x0081\0\0\0"
      L"\0\x5001\0\0\x0005\x0082\x002B\x000E\x03E9\xFFFF\x0080テキスト出力\0\0", 101);
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), 1041);
  const auto data = static_cast<const wchar_t*>(found ? LockResource(LoadResource(module, found)) : L"");
  Check(std::wstring(data, SizeofResource(module, found) / 2) == kTemplate, "the dialog template of " + exe + ", byte for byte");
}

std::string Windows(std::string path) {  // a Unix path as Windows programs under Wine see it
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path[0] == '\\' ? "Z:" + path : path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::fprintf(stderr, "usage: checks DIR [EXE...]\n"), 2;
  const std::string dir = Windows(argv[1]), exe = dir + "\\QvxCheck.exe", work = NewFolder();
  Check(GetACP() == 932, "the ANSI code page is 932, Shift-JIS (it is " + std::to_string(GetACP()) + ")");
  CheckMachines(), CheckDeviceList(), CheckDefaultDevice(), CheckReportAndDialog(), CheckFiles();
  for (int i = 1; i < argc; ++i) CheckTemplate(i == 1 ? exe : Windows(argv[i]));

  // What the platform itself reports: the primary display driver, the sound devices, the memory.
  IDirectDraw7* directDraw = nullptr;
  DDDEVICEIDENTIFIER2 id = {};
  if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr) == DD_OK) directDraw->GetDeviceIdentifier(&id, 0), directDraw->Release();
  std::string sound;
  DirectSoundEnumerateA(AddSound, &sound);
  Check(!sound.empty() || std::getenv("QVX_NO_SOUND"), "the platform lists a sound device (the test environment's sound server)");
  MEMORYSTATUSEX memory = {sizeof memory};
  GlobalMemoryStatusEx(&memory);

  const std::vector<std::string> files = {work + "\\saved.txt", work + "\\longer.txt", work + "\\held.txt"};
  {
    Program checker(exe, work, "native,builtin");
    HWND dialog = checker.Find({kCaption}, false);
    if (Check(dialog != nullptr, "the checker opens its dialog, passing the planted DLLs by")) {
      const std::string report = Text(GetDlgItem(dialog, 1000));
      const size_t at = report.find("\x81\x84\r\n\t", 20) + 5;  // the driver's version, which its own lookup reads
      const std::string head = ReportHead(id.szDescription, report.substr(at, report.find('\r', at) - at), sound);
      const std::uint64_t tenths = (memory.ullTotalPhys * 10 + 524288) / 1048576;  // MiB, halves up
      Same(report, head + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "MB\r\n", "the report shows what the platform reports");
      Check(checker.Export(dialog, work + "\\saved", false) == kSaved && Read(files[0]) == report, "a new file, given .txt, holds exactly the report; the user is told");
      std::ofstream(files[1]) << std::string(report.size() * 3, 'x');
      Check(checker.Export(dialog, files[1], true) == kSaved && Read(files[1]) == report, "so does a longer file, replaced after the save dialog asked");
      std::ofstream(files[2]) << "keep me";
      HANDLE holder = CreateFileA(files[2].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      Check(checker.Export(dialog, files[2], true) == kFailed, "a file another program holds: the user is told the export failed");
      CloseHandle(holder);
      Check(Read(files[2]) == "keep me" && IsWindowEnabled(dialog), "and the file is kept, and the dialog stays usable");
      Check(checker.Export(dialog, dir + "\\full.txt", false) == kFailed, "a full disk: the user is told the export failed");
      for (int i = 0; i < 2; ++i) {  // cancelled: the next save dialog comes only after the export
        Press(dialog, 1001);
        HWND save = checker.Find({kSaveTitle}, false);
        Check(save && !checker.Find({kSavedTitle, kFailedTitle}, true, 0), "a cancelled export says nothing");
        Press(save, IDCANCEL);
      }
      PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
      Check(checker.ExitCode() == 0, "Escape ends the checker with exit code 0");
      Check(GetFileAttributesA((work + "\\QvxCheck.txt").c_str()) == INVALID_FILE_ATTRIBUTES, "the cancelled exports wrote nothing");
    }
  }
  {
    Program checker(exe, work, "");  // a machine without DirectX
    HWND box = checker.Find({kTitle}, true);
    Check(box && Text(GetDlgItem(box, 0xFFFF)) == kNoDevice && !checker.Find({kCaption}, false, 0), "without DirectX: the survey's message, and no dialog");
    Press(box, IDOK);
    Check(checker.ExitCode() == 0xFFFFFFFF, "then exit code -1");
  }
  for (const char* key : {"Software\\Wine\\AppDefaults\\QvxCheck.exe\\DllOverrides", "Software\\Wine\\AppDefaults\\QvxCheck.exe"}) RegDeleteKeyA(HKEY_CURRENT_USER, key);
  for (const std::string& file : files) DeleteFileA(file.c_str());
  Check(RemoveDirectoryA(work.c_str()), "the work folder is removed");
  return std::printf("%d passed, %d failed\n", g_passed, g_failed), g_failed != 0;
}
