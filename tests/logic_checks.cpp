// The checker's logic in this process: the survey and the dialog on simulated machines and a
// simulated user; the version lookup on real files.
#include <windows.h>

#include <doctest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/export.h"
#include "app/survey_machine.h"
#include "platform/runtime_imports.h"
#include "platform/system_library.h"
#include "report/report.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "survey/driver_version.h"
#include "tests/simulation.h"
#include "tests/support.h"

namespace {

const Device hal = {"Direct3D HAL", IID_IDirect3DHALDevice};

DWORD WINAPI Idle(void*) { return 0; }

}  // namespace

TEST_CASE("on every Windows the checker reports the machine or shows which step failed") {
  Reset();
  Adapter card = {0, "Simulated Display", {Mode(640, 480, 16), Mode(800, 600, 16)}, {hal}};
  std::strcpy(card.identifier.szDescription, "GFPU 9000");
  std::strcpy(card.identifier.szDriver, "version_ja.dll");      // a fixture beside this program
  card.identifier.liDriverVersion.QuadPart = 0x200000000F19EC;  // 32.0.15.6636; its text wins
  Adapter second = card;  // a second card, which some machines have
  second.kind = DDENUM_ATTACHEDSECONDARYDEVICES;
  std::strcpy(second.identifier.szDescription, "Second Card");
  g_machine = {{card}, {{0, "Primary Sound Driver"}, {1, "Speakers"}}};
  Adapter& primary = g_machine.adapters[0];
  std::string sound = "\tPrimary Sound Driver\r\n\tSpeakers\r\n";
  std::string description = "GFPU 9000";
  std::string version = "6.14.10.0411 (ja)";
  std::string failure;  // the survey's message box; none when the dialog opens with the report
  bool soundListed = true;
  bool windows2000 = false;  // whose DLL search keeps the current folder, whatever the program does
  const std::string noDirectDraw = Sjis(u8"DirectDrawインターフェースの取得に失敗しました。\n") +
                                   Sjis(u8"DirectX7はきちんとインストールされてますか？");

  SUBCASE("Windows XP SP1 to 7: kernel32 without SetDefaultDllDirectories") {
    g_machine.setDefaultDllDirectories = false;
  }
  SUBCASE("Windows 2000: kernel32 without either search function") {
    g_machine.setDefaultDllDirectories = false;
    g_machine.setDllDirectory = false;
    windows2000 = true;
  }
  SUBCASE("the survey's create answers S_FALSE") {
    primary.creates = {DD_OK, S_FALSE};
    failure = noDirectDraw;
    soundListed = false;
  }
  SUBCASE("the survey's create fails and leaves an object that the platform freed") {
    primary.creates = {DD_OK, kFailedLeavingFreedObject};
    failure = noDirectDraw;
    soundListed = false;
  }
  SUBCASE("the survey's create answers DD_OK without an object") {
    primary.creates = {DD_OK, kOkWithoutObject};
    failure = noDirectDraw;
    soundListed = false;
  }
  SUBCASE("other creates answer S_FALSE and the sound list S_FALSE without a device") {
    primary.creates = {S_FALSE};
    g_machine.sounds.clear();
    g_machine.soundResult = S_FALSE;
    sound = "";
  }
  SUBCASE("the sound list fails") {
    g_machine.soundResult = DSERR_NODRIVER;
    failure = Sjis(u8"DirectSoundデバイスの列挙に失敗しました。");
  }
  SUBCASE("today's PC: its driver in the driver store and 56 sizes with every 8-bit mode first") {
    std::strcpy(primary.identifier.szDriver, "nvldumd.dll");  // not found by the version service
    version = "32.0.15.6636";                                 // what DirectX reports
    primary.modes.clear();
    for (const DWORD bits : {8, 16, 32}) {
      for (DWORD size = 1; size <= 56; ++size) {
        primary.modes.push_back(Mode(size * 64, size * 36, bits));
      }
    }
  }
  SUBCASE("a driver file without a version resource and the largest version") {
    std::strcpy(primary.identifier.szDriver, "QvxCheck.exe");
    primary.identifier.liDriverVersion.QuadPart = -1;
    version = "65535.65535.65535.65535";
  }
  SUBCASE("an unterminated driver name and no version") {
    // 512 bytes naming a file that is not there, "<this program's folder>\\\\...\\version_ja.dl";
    // read on into the description, they would name the fixture version_ja.dll.
    std::string name = ProgramFolder();
    name.resize(512 - 13, '\\');
    std::memcpy(primary.identifier.szDriver, (name + "version_ja.dl").data(), 512);
    std::strcpy(primary.identifier.szDescription, "l");
    primary.identifier.liDriverVersion.QuadPart = 0;
    description = "l";
    version = "";
  }
  SUBCASE("a failing primary driver and a second card") {
    primary.creates = {DDERR_GENERIC};
    g_machine.adapters.push_back(second);
    description = "Second Card";
  }
  SUBCASE("a primary driver that cannot render in a window and a second card") {
    primary.windowed = false;  // so its hardware device is no better than the second card's
    g_machine.adapters.push_back(second);
    description = "Second Card";
  }
  SUBCASE("texts longer than their fields") {
    std::memset(primary.identifier.szDescription, 'D', 512);       // unterminated
    std::memset(&primary.identifier.liDriverVersion, 'V', 4);      // the bytes behind it
    std::strcpy(primary.identifier.szDriver, "version_long.dll");  // a 600-byte version
    g_machine.sounds.push_back({1, std::string(4096, 'S')});
    for (int i = 2; i <= 25; ++i) g_machine.sounds.push_back({i, ""});
    description = std::string(512, 'D');
    version = "1" + std::string(510, '0');
    sound += "\t" + std::string(4096, 'S') + "\r\n";
    for (int i = 2; i <= 19; ++i) sound += "\t\r\n";  // 20 devices with a GUID, no more
  }

  const bool opens = failure.empty();
  CHECK(RunChecker(GetModuleHandleA(nullptr)) == (opens ? 0 : -1));
  if (!opens) failure += "|" + Sjis(u8"Quorvexマシン環境情報チェッカー") + "|16\n";
  CHECK(Difference(g_user.messages, failure) == "same");
  const std::string report = opens ? Report(description, version, sound, "255.3") : "";
  CHECK(Difference(g_user.box, report) == "same");
  CHECK(g_user.closes == (opens ? 1 : 0));  // by the close button alone
  CHECK(g_user.saves == (opens ? 1 : 0));   // and the export that the user cancelled
  CHECK_MESSAGE(!g_user.readOnlyBox, "the save dialog shows a read-only box, meaningless here");
  CHECK(g_machine.live == 0);                              // every DirectX object released
  CHECK(g_machine.liveAtSound == (soundListed ? 0 : -1));  // all released before the sound list
  // A DLL named bare is looked for in the current folder, a Downloads folder, on Windows 2000
  // alone.
  CHECK(g_machine.currentFolderSearched == windows2000);
}

namespace {

std::string Dimensions(const DDSURFACEDESC2& mode) {
  return std::to_string(mode.dwWidth) + "x" + std::to_string(mode.dwHeight) + "x" +
         std::to_string(mode.ddpfPixelFormat.dwRGBBitCount);
}

// An entry in one line: name, adapter (its GUID's number), hardware, windowed, modes, default mode;
// and GUID pointers that do not point into the entry, which outlives the enumeration's records.
std::string Describe(const RenderDeviceInfo& d) {
  std::string line = d.Name;
  line += d.DriverGuidPtr == nullptr ? " primary" : " #" + std::to_string(d.DriverGuid.Data1 & 0xF);
  if (d.DriverGuidPtr != nullptr && d.DriverGuidPtr != &d.DriverGuid)
    line += " (driver GUID elsewhere)";
  if (d.DeviceGuidPtr != &d.DeviceGuid) line += " (device GUID elsewhere)";
  line += d.IsHardware ? " hw" : " sw";
  line += d.CanRenderWindowed ? " windowed:" : ":";
  for (std::uint32_t i = 0; i < d.ModeCount; ++i) line += " " + Dimensions(d.Modes[i]);
  return line + " default " + std::to_string(d.DefaultModeIndex) + " " + Dimensions(d.DefaultMode) +
         "\n";
}

}  // namespace

TEST_CASE("the device list holds up to 16 devices with the sorted modes each can render") {
  Reset();
  const std::vector<DDSURFACEDESC2> vga = {Mode(640, 480, 16)};
  std::vector<DDSURFACEDESC2> modes49;  // 48 are kept, not the 49th
  for (DWORD width = 2000; width > 1952; --width) modes49.push_back(Mode(width, 1000, 16));
  modes49.push_back(Mode(640, 480, 16));
  Adapter primary = {0, "Primary"};
  primary.modes = {Mode(800, 600, 16), Mode(640, 480, 32),  Mode(640, 480, 16), Mode(640, 400, 16),
                   Mode(640, 480, 8),  Mode(1024, 768, 24), Mode(720, 480, 16), Mode(640, 512, 16)};
  primary.devices = {{std::string(60, 'N'), IID_IDirect3DRGBDevice},
                     {"Direct3D HAL", IID_IDirect3DHALDevice, DDBD_32},
                     {"Direct3D T&L HAL", IID_IDirect3DTnLHalDevice, DDBD_24},
                     {"8-bit only", IID_IDirect3DHALDevice, DDBD_8}};
  const DWORD attached = DDENUM_ATTACHEDSECONDARYDEVICES;
  const Device rgb = {"RGB Emulation", IID_IDirect3DRGBDevice};
  Adapter noDirect3D = {attached, "No Direct3D", vga, {hal}};
  noDirect3D.direct3D = false;
  g_machine.adapters = {
      primary,
      {attached, "Secondary card with a description of 50 bytes", vga, {rgb, hal}},
      {DDENUM_NONDISPLAYDEVICES, "3D only", modes49, {hal}},
      noDirect3D,
      {DDENUM_DETACHEDSECONDARYDEVICES, "Detached", vga, std::vector<Device>(20, hal)}};

  CHECK(EnumerateDisplayAdapters());

  std::string expected = std::string(38, 'N') +
                         " primary sw windowed: 640x400x16 640x480x16 640x480x32 640x512x16 "
                         "720x480x16 800x600x16 default 1 640x480x16\n"
                         "Direct3D HAL primary hw windowed: 640x480x32 default 0 0x0x0\n"
                         "Direct3D T&L HAL primary hw windowed: 1024x768x24 default 0 0x0x0\n"
                         "Secondary card with a description of 5 #1 hw: 640x480x16 default 0 "
                         "640x480x16\n"
                         "3D only #2 hw:";
  for (DWORD width = 1953; width <= 2000; ++width) {
    expected += " " + std::to_string(width) + "x1000x16";
  }
  expected += " default 0 0x0x0\n";
  // The detached card's devices fill the list up to its 16 entries; the rest are dropped.
  while (std::count(expected.begin(), expected.end(), '\n') < 16) {
    expected += "Detached #4 hw: 640x480x16 default 0 640x480x16\n";
  }
  CHECK(g_RenderDeviceCount == 16);
  std::string listed;
  for (const RenderDeviceInfo& device : g_RenderDevices) listed += Describe(device);
  CHECK(Difference(listed, expected) == "same");
  CHECK(g_machine.live == 0);
}

TEST_CASE("the default device is the best kind that renders in a window and the later of equals") {
  // A letter per device, in list order: T transform and lighting hardware, H other hardware,
  // S software, R the reference rasterizer; upper case when it can render in a window. The index
  // chosen, or -1 when none is and the caller's choice is left as it was.
  const std::pair<std::string, int> rows[] = {
      {"STH", 1}, {"THS", 0}, {"SH", 1},  {"SHH", 2}, {"SR", 0}, {"RS", 1},  {"R", 0}, {"Hh", 0},
      {"hH", 1},  {"Sht", 2}, {"htS", 1}, {"tH", 1},  {"SS", 1}, {"sr", -1}, {"", -1}};
  const std::map<char, GUID> types = {{'T', IID_IDirect3DTnLHalDevice},
                                      {'H', IID_IDirect3DHALDevice},
                                      {'S', IID_IDirect3DRGBDevice},
                                      {'R', IID_IDirect3DRefDevice}};
  for (const auto& [devices, chosen] : rows) {
    CAPTURE(devices);
    Reset();
    for (const char letter : devices) {
      RenderDeviceInfo& device = g_RenderDevices[g_RenderDeviceCount++];
      device.DeviceGuid = types.at(static_cast<char>(std::toupper(letter)));
      device.DeviceGuidPtr = &device.DeviceGuid;
      device.IsHardware = std::strchr("TtHh", letter) != nullptr;
      device.CanRenderWindowed = std::isupper(letter);
    }
    RenderDeviceInfo* choice = &g_RenderDevices[15];
    const int found = SelectDefaultDevice(&choice);
    CHECK(found == (chosen >= 0 ? 1 : 0));
    CHECK(choice - g_RenderDevices == (chosen >= 0 ? chosen : 15));
  }
}

TEST_CASE("the memory figure is in MiB with one decimal and halves rounded up") {
  const std::pair<std::uint64_t, const char*> rows[] = {
      {52428, "0.0"},
      {52429, "0.1"},
      {(99999ull << 20) + 996148, "100000.0"},
      {18446744073709551615ull, "17592186044416.0"}};
  for (const auto& [bytes, shown] : rows) {
    CAPTURE(bytes);
    CHECK(FormatMemoryMiB(bytes) == shown);
  }
}

TEST_CASE("the driver version is the first translation's FileVersion text cut to 511 bytes") {
  // Real PE files with version resources, and what a 512-byte buffer holds after the lookup.
  const std::pair<std::string, std::string> rows[] = {
      {"version_ja.dll", "6.14.10.0411 (ja)" + std::string(512 - 17, '\0')},
      {"version_long.dll", "1" + std::string(510, '0') + '\0'},
      {"version_second.dll", std::string(512, 'X')},  // its first translation has no text
      {"version_no_translation.dll", std::string(512, 'X')},
      // A damaged root length, which the platform trusts: its ANSI copy of the text would go past
      // the block (and come back cut: "9.8.").
      {"version_root_296.dll", std::string(512, 'X')},
      {"version16_root_600.dll", std::string(512, 'X')}};  // the same in 16 bits, walked past it
  for (const auto& [file, text] : rows) {
    CAPTURE(file);
    char buffer[520];
    std::memset(buffer, 'X', sizeof buffer);
    GetDriverFileVersion(buffer, 512, file.c_str());
    const std::string held(buffer, sizeof buffer);  // and the 8 bytes past the 512, untouched
    CHECK(Difference(held, text + "XXXXXXXX") == "same");
  }
}

TEST_CASE("a system DLL is loaded from the system directory where nothing restricts the search") {
  // Nothing restricts this program's search for a DLL named bare, as nothing does the checker's on
  // Windows 2000 to 7 without the loader update: version_ja.dll, beside it only, would be found.
  CHECK_MESSAGE(!SystemExport("version_ja.dll", "qvx_empty"),
                "a DLL beside the program was loaded in place of the system directory's");
}

TEST_CASE("a failed save lets go of the file before it tells the player") {
  Reset();  // an empty report, which the writer refuses to write, as it would a full disk
  char file[MAX_PATH];
  GetTempFileNameA(std::filesystem::temp_directory_path().string().c_str(), "qvx", 0, file);
  g_user.saveAs = file;  // a new empty file
  ExportReport(nullptr);
  CHECK(Difference(g_user.messages, Sjis(u8"出力に失敗しました。|エラー|16\n")) == "same");
  DeleteFileA(file);  // which the user deleted, unless the checker held it
}

TEST_CASE(
    "the runtime's thread calls answer on Windows with and without their kernel32 functions") {
  // Vista and later have both; XP lacks GetThreadId, and a Windows without TryEnterCriticalSection
  // is where the fallback says "taken".
  for (const bool present : {true, false}) {
    CAPTURE(present);
    Reset();
    g_machine.threadExports = present;
    DWORD id = 0;
    const HANDLE thread = CreateThread(nullptr, 0, Idle, nullptr, CREATE_SUSPENDED, &id);
    CHECK(runtime_imports::ThreadId(thread) == id);
    CHECK(runtime_imports::ThreadId(GetCurrentThread()) == GetCurrentThreadId());
    CHECK(runtime_imports::ThreadId(nullptr) == 0);
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    const BOOL entered = runtime_imports::TryEnter(&section);
    CHECK(entered == present);
    if (entered) LeaveCriticalSection(&section);
    DeleteCriticalSection(&section);
  }
}
