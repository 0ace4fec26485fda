// The real checker from outside, under the platform's own DirectDraw, DirectSound and dialogs: a
// copy in this program's folder, beside DLLs planted under the names of system DLLs, found by
// window title, driven by posted messages, its exit code read.
//   checks [EXE...] [doctest options]: the dialog templates of the EXEs are checked as well.
//   QVX_NO_SOUND in the environment: the platform has no sound device.
#define DOCTEST_CONFIG_IMPLEMENT
#include <windows.h>

#include <doctest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/directx.h"
#include "tests/support.h"

namespace {

std::vector<std::string> g_executables;
const std::string kCaption = Sjis(u8"Quorvexマシン環境情報チェッカー  Ver.1.00");
const std::string kSave = Sjis(u8"ファイルの保存");
// Wine's settings for QvxCheck.exe alone.
const std::string kSettings = "Software\\Wine\\AppDefaults\\QvxCheck.exe\\";

void SetSetting(const std::string& group, const std::string& name, const std::string& value) {
  HKEY key;
  RegCreateKeyExA(HKEY_CURRENT_USER, (kSettings + group).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                  nullptr, &key, nullptr);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 value.size() + 1);
  RegCloseKey(key);
}

std::string Text(HWND window) {
  std::string text(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  text.resize(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
  return text;
}

void Press(HWND window, int id) {
  const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(window, id));
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button);
}

// The checker, started in a scratch folder. Wine is told to take the DLLs planted beside it
// before its own (tests/planted.c: one that is loaded ends the checker with exit code 86); the
// load order of ddraw.dll is `directDraw` ("" disables it: a machine without DirectX).
class Checker {
 public:
  explicit Checker(const char* directDraw) {
    REQUIRE(GetACP() == 932);  // the environment's code page, Shift-JIS
    for (const char* dll : {"dsound", "uxtheme", "winex11.drv", "winepulse.drv", "winealsa.drv"}) {
      SetSetting("DllOverrides", dll, "native,builtin");
    }
    SetSetting("DllOverrides", "ddraw", directDraw);
    // No window manager runs on the virtual display: unmanaged windows spare the two seconds
    // that Wine otherwise waits for one whenever a window closes.
    SetSetting("X11 Driver", "Managed", "N");
    const std::string exe = ProgramFolder() + "\\QvxCheck.exe";
    std::string line = "\"" + exe + "\"";
    STARTUPINFOA startup = {sizeof startup};
    REQUIRE(CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                           folder.path.c_str(), &startup, &process));
  }

  ~Checker() {
    TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (const char* group : {"DllOverrides", "X11 Driver", ""}) {
      RegDeleteKeyA(HKEY_CURRENT_USER, (kSettings + group).c_str());
    }
  }

  // A visible window of the checker with one of these titles, a message box (which has its text
  // in control 0xFFFF) or not. Null after `ms`, or at once when the checker has ended; `seen`
  // then says what there was.
  HWND Find(const std::vector<std::string>& titles, bool box, DWORD ms = 30000) {
    const DWORD start = GetTickCount();
    for (;;) {
      const bool ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      seen = "windows:";
      for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, nullptr); w != nullptr;
           w = FindWindowExA(nullptr, w, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != process.dwProcessId || !IsWindowVisible(w)) continue;
        seen += " '" + Text(w) + "'";
        const bool isBox = GetDlgItem(w, 0xFFFF) != nullptr;
        if (std::count(titles.begin(), titles.end(), Text(w)) != 0 && isBox == box) return w;
      }
      seen += "; exit code " + std::to_string(ExitCode(0)) + " (259: running)";
      if (ended || GetTickCount() - start >= ms) return nullptr;
      Sleep(50);
    }
  }

  DWORD ExitCode(DWORD waitMs = 30000) {
    WaitForSingleObject(process.hProcess, waitMs);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  // Presses the export button, names `path` in the save dialog, agrees to replace the file when
  // `replace`, and gives "text|title" of the box that tells the result, which it dismisses.
  std::string Export(HWND dialog, const std::string& path, bool replace) {
    Press(dialog, 1001);
    HWND save = Find({kSave}, false);
    REQUIRE(save != nullptr);
    HWND name = GetDlgItem(save, 0x47C);  // the file name's combo box
    CHECK(Text(name) == "QvxCheck.txt");
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(save, IDOK);
    if (replace) {
      HWND question = Find({kSave}, true);
      REQUIRE(question != nullptr);
      Press(question, IDYES);
    }
    HWND result = Find({Sjis(u8"成功"), Sjis(u8"エラー")}, true);
    REQUIRE(result != nullptr);
    const std::string told = Text(GetDlgItem(result, 0xFFFF)) + "|" + Text(result);
    Press(result, IDOK);
    return told;
  }

  ScratchFolder folder;  // the checker's current folder
  PROCESS_INFORMATION process = {};
  std::string seen;
};

BOOL CALLBACK AddSound(GUID*, const char* name, const char*, void* text) {
  *static_cast<std::string*>(text) += "\t" + std::string(name) + "\r\n";
  return TRUE;
}

}  // namespace

TEST_CASE("the checker shows the platform's facts, saves them exactly, and ends with 0") {
  IDirectDraw7* directDraw = nullptr;
  DDDEVICEIDENTIFIER2 primary = {};
  REQUIRE(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                             nullptr) == DD_OK);
  directDraw->GetDeviceIdentifier(&primary, 0);
  directDraw->Release();
  std::string sound;
  DirectSoundEnumerateA(AddSound, &sound);
  INFO("a sound device, which the environment's sound server gives, unless QVX_NO_SOUND is set");
  REQUIRE((!sound.empty() || std::getenv("QVX_NO_SOUND") != nullptr));
  MEMORYSTATUSEX memory = {sizeof memory};
  GlobalMemoryStatusEx(&memory);
  const std::uint64_t tenths = (memory.ullTotalPhys * 10 + 524288) / 1048576;  // MiB, halves up

  Checker checker("native,builtin");
  INFO(checker.seen);
  HWND dialog = checker.Find({kCaption}, false);
  REQUIRE(dialog != nullptr);
  const std::string report = Text(GetDlgItem(dialog, 1000));
  const size_t at = report.find("\x81\x84\r\n\t", 20) + 5;  // the version, which only it reads
  const std::string version = report.substr(at, report.find('\r', at) - at);
  const std::string figure = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  CHECK(report == Report(primary.szDescription, version, sound, figure));

  const std::string saved = Sjis(u8"出力に成功しました。|成功");
  const std::string failed = Sjis(u8"出力に失敗しました。|エラー");
  const std::string work = checker.folder.path;
  CHECK(checker.Export(dialog, work + "\\saved", false) == saved);
  CHECK(ReadFile(work + "\\saved.txt") == report);

  std::ofstream(work + "\\longer.txt") << std::string(report.size() * 3, 'x');
  CHECK(checker.Export(dialog, work + "\\longer.txt", true) == saved);
  CHECK(ReadFile(work + "\\longer.txt") == report);

  std::ofstream(work + "\\held.txt") << "keep me";
  {
    const std::unique_ptr<void, decltype(&CloseHandle)> holder(
        CreateFileA((work + "\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                    nullptr),
        &CloseHandle);
    CHECK(checker.Export(dialog, work + "\\held.txt", true) == failed);
  }
  CHECK(ReadFile(work + "\\held.txt") == "keep me");

  CHECK(checker.Export(dialog, ProgramFolder() + "\\full.txt", false) == failed);  // /dev/full

  Press(dialog, 1001);
  HWND save = checker.Find({kSave}, false);
  REQUIRE(save != nullptr);
  Press(save, IDCANCEL);
  PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  CHECK(checker.ExitCode() == 0);
  CHECK(GetFileAttributesA((work + "\\QvxCheck.txt").c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("without DirectX the checker says so and ends with -1 without its dialog") {
  Checker checker("");
  INFO(checker.seen);
  HWND box = checker.Find({Sjis(u8"Quorvexマシン環境情報チェッカー")}, true);
  REQUIRE(box != nullptr);
  CHECK(Text(GetDlgItem(box, 0xFFFF)) == Sjis(u8"DirectDrawデバイスの列挙に失敗しました。"));
  CHECK(checker.Find({kCaption}, false, 0) == nullptr);
  Press(box, IDOK);
  CHECK(checker.ExitCode() == 0xFFFFFFFF);
}

TEST_CASE("the dialog template of each build is the checker's, byte for byte") {
  // DLGTEMPLATE: style, extended style, 3 controls, x, y, cx, cy, no menu, the dialog class, the
  // caption, 9 points and the face; then each control on a 4-byte boundary: style, extended
  // style, x, y, cx, cy, id, class (0x80 button, 0x81 edit), text, no creation data.
  const std::wstring expected(
      L"\x00C0\x80C8\0\0\x0003\0\0\x00BD\x0095\0\0"
      L"Quorvexマシン環境情報チェッカー  Ver.1.00\0"
      L"\x0009ＭＳ Ｐゴシック\0\0"
      L"\x0001\x5001\0\0\x00A0\x0082\x0017\x000E\x0001\xFFFF\x0080閉じる\0\0"
      L"\x18C4\x50A1\0\0\x0005\x0005\x00AF\x0073\x03E8\xFFFF\x0081\0\0\0"
      L"\0\x5001\0\0\x0005\x0082\x002B\x000E\x03E9\xFFFF\x0080テキスト出力\0\0",
      101);
  std::vector<std::string> executables = g_executables;
  executables.push_back(ProgramFolder() + "\\QvxCheck.exe");
  for (const std::string& exe : executables) {
    CAPTURE(exe);
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), 1041);
    REQUIRE(found != nullptr);
    const auto data = static_cast<const wchar_t*>(LockResource(LoadResource(module, found)));
    CHECK(std::wstring(data, SizeofResource(module, found) / 2) == expected);
    FreeLibrary(module);
  }
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') g_executables.push_back(argv[i]);
  }
  return doctest::Context(argc, argv).run();
}
