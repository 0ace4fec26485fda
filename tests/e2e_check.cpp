// The checker driven from outside, as a user would, under the platform's real dialogs, DirectX,
// DirectSound and common dialogs. It needs no test framework, so that it also checks the 32-bit
// product where only 32-bit programs run. Prints a line per check and "N passed, N failed".
// Usage: e2e_check DIR [EXE...]  DIR holds QvxCheck.exe beside planted ddraw.dll and dsound.dll,
// which it must pass by, and full.txt, a link to Linux's /dev/full (a full disk); the dialog
// template of each EXE is checked too. QVX_NO_SOUND: the platform has no sound device.
#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>
#include <dsound.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/common.h"

namespace {

int g_passed = 0, g_failed = 0;
const std::string kCaption = texts::kTitle + "  Ver.1.00", kSavedTitle = texts::kSaved.substr(21), kNotSavedTitle = texts::kNotSaved.substr(21);

bool Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  std::fflush(stdout);
  return ++(ok ? g_passed : g_failed), ok;
}

std::string Text(HWND window) {
  std::string text(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  text.resize(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

struct Search {
  DWORD process;
  const std::vector<std::string>& titles;
  bool box;  // a message box, which has its text in control 0xFFFF
  HWND found;
  std::string seen;
};

BOOL CALLBACK Visit(HWND window, LPARAM search) {
  Search& s = *reinterpret_cast<Search*>(search);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != s.process || !IsWindowVisible(window)) return TRUE;
  s.seen += " '" + Text(window) + "'";
  for (const std::string& title : s.titles) s.found = Text(window) == title && (GetDlgItem(window, 0xFFFF) != nullptr) == s.box ? window : s.found;
  return s.found == nullptr;
}

BOOL CALLBACK AddSound(GUID*, const char* name, const char*, void* text) {
  *static_cast<std::string*>(text) += "\t" + std::string(name) + "\r\n";
  return TRUE;
}

BOOL CALLBACK CountType(HMODULE, LPSTR, LONG_PTR count) { return ++*reinterpret_cast<int*>(count); }

// The checker, started with Wine's load order for its ddraw.dll and dsound.dll set to `order`:
// "native,builtin" prefers a DLL beside the program to Wine's own, "" disables them.
struct Program {
  PROCESS_INFORMATION info = {};
  Program(const std::string& exe, const std::string& folder, const char* order) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\QvxCheck.exe\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    for (const char* dll : {"ddraw", "dsound"}) RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), std::strlen(order) + 1);
    RegCloseKey(key);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = "\"" + exe + "\"";
    Check(CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info), "start " + exe);
  }
  ~Program() {
    TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  DWORD ExitCode() {
    DWORD code = WaitForSingleObject(info.hProcess, 60000);
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  // A visible window of the program with one of these titles; waits at most `ms`, then says what
  // windows there were and whether the program still runs.
  HWND Find(const std::vector<std::string>& titles, bool box, DWORD ms = 60000) {
    Search s{info.dwProcessId, titles, box, nullptr, ""};
    for (const DWORD start = GetTickCount(); s.seen.clear(), EnumWindows(Visit, reinterpret_cast<LPARAM>(&s)), !s.found; Sleep(100)) {
      if (GetTickCount() - start < ms) continue;
      if (ms != 0) std::printf("no '%s' after %lu ms; windows:%s; %s\n", titles[0].c_str(), ms, s.seen.c_str(), ExitCode() == STILL_ACTIVE ? "it runs" : "it ended");
      return nullptr;
    }
    return Sleep(200), s.found;  // let it finish drawing before it is driven
  }
  // Presses the export button, names `path` in the save dialog, agrees to replace the file when
  // asked, and gives "text|title" of the result box, which it dismisses.
  std::string Export(HWND dialog, const std::string& path, bool replace) {
    Press(dialog, 1001);
    HWND save = Find({texts::kSaveTitle}, false);
    const HWND combo = GetDlgItem(save, 0x47C);  // the file name, in a combo box or a plain field
    SendMessageA(combo ? combo : GetDlgItem(save, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(save, IDOK);
    if (HWND question = replace ? Find({texts::kSaveTitle}, true) : nullptr) Press(question, IDYES);
    HWND box = Find({kSavedTitle, kNotSavedTitle}, true);
    const std::string result = box ? Text(GetDlgItem(box, 0xFFFF)) + "|" + Text(box) : "no result box";
    return Press(box, IDOK), result;
  }
};

// The dialog template in the executable, its only resource. DLGTEMPLATE: style, extended style,
// 3 controls, x, y, cx, cy, no menu, the dialog class, the caption, 9 points and the face; then each
// control on a 4-byte boundary: style, extended style, x, y, cx, cy, id, class (0x80 button, 0x81
// edit), text, no creation data.
void CheckTemplate(const std::string& exe) {
  static const std::wstring kTemplate(
      L"\x00C0\x80C8\0\0\x0003\0\0\x00BD\x0095\0\0" L"Quorvexマシン環境情報チェッカー  Ver.1.00\0" L"\x0009ＭＳ Ｐゴシック\0\0"
      L"\x0001\x5001\0\0\x00A0\x0082\x0017\x000E\x0001\xFFFF\x0080閉じる\0\0"
      L"\x18C4\x50A1\0\0\x0005\x0005\x00AF\x0073\x03E8\xFFFF\x0081\0\0\0"
      L"\0\x5001\0\0\x0005\x0082\x002B\x000E\x03E9\xFFFF\x0080テキスト出力\0\0", 101);
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), 1041);
  const auto data = static_cast<const wchar_t*>(found ? LockResource(LoadResource(module, found)) : L"");
  int types = 0;
  EnumResourceTypesA(module, CountType, reinterpret_cast<LONG_PTR>(&types));
  Check(std::wstring(data, SizeofResource(module, found) / 2) == kTemplate && types == 1, "the dialog template of " + exe + " is its only resource, byte for byte");
}

std::string Windows(std::string path) {  // a Unix path as Windows programs under Wine see it
  path = path[0] == '/' ? "Z:" + path : path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::fprintf(stderr, "usage: e2e_check DIR [EXE...]\n"), 2;
  const std::string dir = Windows(argv[1]), exe = dir + "\\QvxCheck.exe", work = NewFolder("qvx_e2e_");
  Check(GetACP() == 932, "the ANSI code page is 932, Shift-JIS (it is " + std::to_string(GetACP()) + ")");
  for (int i = 1; i < argc; ++i) CheckTemplate(i == 1 ? exe : Windows(argv[i]));

  // What the platform itself reports: the primary display driver and the sound devices.
  IDirectDraw7* directDraw = nullptr;
  DDDEVICEIDENTIFIER2 id = {};
  if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr) == DD_OK) directDraw->GetDeviceIdentifier(&id, 0), directDraw->Release();
  std::string sound;
  DirectSoundEnumerateA(AddSound, &sound);
  Check(!sound.empty() || std::getenv("QVX_NO_SOUND"), "the platform lists a sound device (the test environment's sound server)");
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);

  const std::vector<std::string> files = {work + "\\saved.txt", work + "\\longer.txt", work + "\\\x95\x5c.txt", work + "\\held.txt"};
  {
    Program checker(exe, work, "native,builtin");
    HWND dialog = checker.Find({kCaption}, false);
    if (Check(dialog != nullptr, "the checker opens its dialog, passing the planted DLLs by")) {
      const std::string report = Text(GetDlgItem(dialog, 1000));
      const size_t at = report.find("\x81\x84\r\n\t", 20) + 5;  // the driver version, read from its lookup
      const std::string head = texts::ReportHead(id.szDescription, report.substr(at, report.find('\r', at) - at), sound);
      const double figure = std::atof(report.c_str() + std::min(head.size(), report.size()));
      char tail[64];
      std::snprintf(tail, sizeof tail, "%.1fMB\r\n", figure);
      Check(report == head + tail && std::abs(figure - memory.ullTotalPhys / 1048576.0) < 0.0501, "the report shows what the platform reports: " + report);
      Check(checker.Export(dialog, files[0], false) == texts::kSaved && Read(files[0]) == report, "a new file holds exactly the report, and the user is told");
      std::ofstream(files[1]) << std::string(report.size() * 3, 'x');
      Check(checker.Export(dialog, files[1], true) == texts::kSaved && Read(files[1]) == report, "so does a longer file, replaced after the save dialog asked");
      Check(checker.Export(dialog, files[2], false) == texts::kSaved && Read(files[2]) == report, "and a file named with 表, whose second byte is a backslash's");
      std::ofstream(files[3]) << "keep me";
      HANDLE holder = CreateFileA(files[3].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      Check(checker.Export(dialog, files[3], true) == texts::kNotSaved, "a file another program holds: the user is told the export failed");
      CloseHandle(holder);
      Check(Read(files[3]) == "keep me" && IsWindowEnabled(dialog), "and the file is kept, and the dialog stays usable");
      Check(checker.Export(dialog, dir + "\\full.txt", false) == texts::kNotSaved, "a full disk: the user is told the export failed");
      for (int i = 0; i < 2; ++i) {  // cancelled; the next save dialog comes only after the export
        Press(dialog, 1001);
        HWND save = checker.Find({texts::kSaveTitle}, false);
        Check(save && !IsWindowEnabled(dialog) && !checker.Find({kSavedTitle, kNotSavedTitle}, true, 0), "the save dialog holds the checker dialog, and no message came");
        Press(save, IDCANCEL);
      }
      for (const DWORD start = GetTickCount(); !IsWindowEnabled(dialog) && GetTickCount() - start < 60000;) Sleep(100);
      Check(GetFileAttributesA((work + "\\QvxCheck.txt").c_str()) == INVALID_FILE_ATTRIBUTES, "a cancelled export writes nothing");
      PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
      Check(checker.ExitCode() == 0, "Escape ends the checker with exit code 0");
    }
  }
  {
    Program checker(exe, work, "");  // a machine without DirectX
    HWND box = checker.Find({texts::kTitle}, true);
    Check(box && Text(GetDlgItem(box, 0xFFFF)) == texts::kNoDevice && !checker.Find({kCaption}, false, 0), "without DirectDraw: the survey's message, and no dialog");
    Press(box, IDOK);
    Check(checker.ExitCode() == 0xFFFFFFFF, "then exit code -1");
  }
  for (const char* key : {"Software\\Wine\\AppDefaults\\QvxCheck.exe\\DllOverrides", "Software\\Wine\\AppDefaults\\QvxCheck.exe"}) RegDeleteKeyA(HKEY_CURRENT_USER, key);
  for (const std::string& file : files) DeleteFileA(file.c_str());
  Check(RemoveDirectoryA(work.c_str()), "the work folder is removed");
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed != 0;
}
