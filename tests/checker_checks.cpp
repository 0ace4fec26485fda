// The real checker from outside, under the platform's own DirectDraw, DirectSound and dialogs,
// beside planted DLLs; found by window title, driven by posted messages, its exit code read.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <windows.h>

#include <crtdbg.h>
#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <vector>

// What doctest's report of a crash needs: msvcrt.dll has no _set_abort_behavior, which it calls
// only to quiet abort()'s own message.
static unsigned int KeepAbortBehavior(unsigned int, unsigned int) { return 0; }
#define _set_abort_behavior KeepAbortBehavior
#include <doctest.h>

#include "platform/directx.h"
#include "tests/support.h"

namespace {

std::string Contents(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

const std::string kCaption = Sjis(u8"Quorvexマシン環境情報チェッカー  Ver.1.00");
const std::string kSave = Sjis(u8"ファイルの保存");
const std::string kSettings = "Software\\Wine\\AppDefaults\\QvxCheck.exe";  // Wine's, for it alone

void SetSetting(const std::string& group, const char* name, const std::string& value) {
  SHSetValueA(HKEY_CURRENT_USER, (kSettings + "\\" + group).c_str(), name, REG_SZ, value.c_str(),
              value.size() + 1);
}

// Messages to the checker's windows are given 5 s: a hanging checker fails the check, no more.
LRESULT Send(HWND window, UINT message, WPARAM wParam, const void* lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(lParam), SMTO_NORMAL, 5000,
                      &result);
  return result;
}

std::string Text(HWND window) {
  char text[4096] = {};  // more than any text the checks read
  return std::string(text, Send(window, WM_GETTEXT, sizeof text, text));
}

void Press(HWND window, int id) {
  const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(window, id));
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button);
}

struct Search {
  DWORD process;
  bool all;  // the hidden windows too
  std::vector<HWND> found;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM searching) {
  auto& search = *reinterpret_cast<Search*>(searching);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process && (search.all || IsWindowVisible(window)))
    search.found.push_back(window);
  return TRUE;
}

// The checker's copy in this program's folder, started in a scratch folder as its current
// directory, Wine told to prefer the DLLs planted beside it (tests/planted.c: exit code 86), and
// ddraw.dll's load order `directDraw` ("" disables it: no DirectX).
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
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettings.c_str());
  }

  // The checker's top-level windows: the visible ones, or all. Taken in one list (EnumWindows),
  // never window after window (FindWindowEx with the last one found): Wine 10's server finds the
  // next one by the window's own Z-order link, and a window that was placed after one not yet in
  // the Z order (as a message box opens) links into the list of unplaced windows, which that walk
  // then circles for ever, the server with it, and every program of the prefix waits.
  std::vector<HWND> Windows(bool all = false) {
    Search search = {process.dwProcessId, all};
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // What a failed wait prints: the exit code and every top-level window with its class and title.
  std::string Seen() {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::string seen = "exit code " + std::to_string(code) + " (259: running, 86: planted DLL);";
    for (HWND w : Windows(true)) {
      char name[256] = {};
      GetClassNameA(w, name, sizeof name);
      seen += std::string(IsWindowVisible(w) ? " shown " : " hidden ") + name + " '" +
              Escaped(Text(w)) + "'";
    }
    return seen;
  }

  // A visible window with this title ("": any), a message box (text in control 0xFFFF) or not,
  // within 30 s; failing at once, saying what there was, if the checker ends or shows another box.
  HWND Find(const std::string& title, bool box) {
    for (const DWORD start = GetTickCount();; Sleep(50)) {
      bool otherBox = false;
      for (HWND w : Windows()) {
        const bool isBox = GetDlgItem(w, 0xFFFF) != nullptr;
        if ((title.empty() || Text(w) == title) && isBox == box) return w;
        otherBox = otherBox || isBox;
      }
      const DWORD waited = GetTickCount() - start;
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || otherBox ||
          waited >= 30000) {
        FAIL("no window '" << Escaped(title) << "' after " << waited << " ms; " << Seen());
      }
    }
  }

  // The exit code once the checker has ended, or 259 when it still runs after 10 s.
  DWORD ExitCode() {
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_TIMEOUT)
      MESSAGE("after 10 s: " << Seen());
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  // Exports to `path` through the save dialog, agreeing to replace a file, and gives the result
  // box's "text|title", "|icon" when it has one, after "replaced: " when it asked; dismisses it.
  std::string Export(HWND dialog, const std::string& path) {
    Press(dialog, 1001);
    HWND save = Find(kSave, false);
    HWND name = GetDlgItem(save, 0x47C);  // the file name's combo box
    CHECK(Difference(Text(name), "QvxCheck.txt") == "same");
    HWND types = GetDlgItem(save, 0x470);  // the file types' combo box
    CHECK(Difference(Text(types), Sjis(u8"テキストファイル(*.txt)")) == "same");
    CHECK_MESSAGE(Send(types, CB_GETCOUNT, 0, nullptr) == 1,
                  "the file-type box offers more than the one filter");
    CHECK(!IsWindowEnabled(dialog));  // the save dialog is the checker dialog's
    Send(name, WM_SETTEXT, 0, path.c_str());
    Press(save, IDOK);
    HWND result = Find("", true);
    std::string told;
    if (GetWindow(result, GW_OWNER) == save) {
      told = "replaced: ";
      Send(result, WM_COMMAND, IDYES, nullptr);
      result = Find("", true);
    }
    CHECK(GetWindow(result, GW_OWNER) == nullptr);  // a box of its own, as the survey's
    told += Text(GetDlgItem(result, 0xFFFF)) + "|" + Text(result);
    // Wine's message box holds its icon in control 0x440.
    if (Send(GetDlgItem(result, 0x440), STM_GETICON, 0, nullptr) != 0) told += "|icon";
    Send(result, WM_COMMAND, IDOK, nullptr);  // returns once the box has hidden itself
    return told;
  }

  ScratchFolder folder;  // the checker's current folder
  PROCESS_INFORMATION process = {};
};

// The FileVersion text of the file's first translation as the version service finds it, or "".
std::string FileVersion(const char* file) {
  std::string block(GetFileVersionInfoSizeA(file, nullptr), '\0');
  WORD* language = nullptr;
  char* text = nullptr;
  UINT length = 0;
  char path[64] = "";
  if (!block.empty() && GetFileVersionInfoA(file, 0, block.size(), &block[0]) &&
      VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&language), &length)) {
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\FileVersion", language[0],
                  language[1]);
  }
  return *path && VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&text), &length)
             ? text
             : "";
}

BOOL CALLBACK AddSound(GUID*, const char* name, const char*, void* text) {
  *static_cast<std::string*>(text) += "\t" + std::string(name) + "\r\n";
  return TRUE;
}

// What a window shows, in UTF-16: the characters that are drawn.
std::wstring WideText(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      &length);
  return std::wstring(text, length);
}

// The font that `font` names as the system realizes it, and each character of `text` (but tabs
// and line ends) that it has no glyph for, which the player would see as a box.
std::string WithoutGlyph(const LOGFONTW& font, const std::wstring& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, CreateFontIndirectW(&font));
  char face[LF_FACESIZE * 3] = {};
  GetTextFaceA(dc, sizeof face, face);
  std::vector<WORD> glyphs(text.size());
  GetGlyphIndicesW(dc, text.c_str(), text.size(), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  std::string missing;
  for (size_t i = 0; i < text.size(); ++i) {
    char code[16];
    std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(text[i]));
    if (glyphs[i] == 0xFFFF && text[i] >= L' ') missing += code;
  }
  return missing.empty() ? "none" : "in '" + Escaped(face) + "':" + missing;
}

// The fonts that the system gives every window's caption, message box and menu.
NONCLIENTMETRICSW SystemFonts() {
  NONCLIENTMETRICSW metrics = {sizeof metrics};
  REQUIRE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  return metrics;
}

// A template's 32-bit value as its two 16-bit words, and a text as its UTF-16 words with the zero.
std::u16string Dword(DWORD value) { return {LOWORD(value), HIWORD(value)}; }
std::u16string Terminated(const char16_t* text) { return std::u16string(text) + u'\0'; }

}  // namespace

TEST_CASE("the checker shows and saves the platform's facts exactly and ends with 0") {
  IDirectDraw7* directDraw = nullptr;
  DDDEVICEIDENTIFIER2 primary = {};
  REQUIRE(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                             nullptr) == DD_OK);
  directDraw->GetDeviceIdentifier(&primary, 0);
  directDraw->Release();
  std::string sound;
  DirectSoundEnumerateA(AddSound, &sound);
  INFO("a sound device, which the environment's sound server gives");
  REQUIRE(!sound.empty());
  // The driver file's text where the version service finds it (wined3d.dll, with Wine's GDI
  // renderer), else the version DirectDraw reports (its GL renderer names no file that is there).
  std::string version = FileVersion(primary.szDriver);
  const LARGE_INTEGER v = primary.liDriverVersion;
  if (version.empty() && v.QuadPart != 0) {
    version = std::to_string(HIWORD(v.HighPart)) + "." + std::to_string(LOWORD(v.HighPart)) + "." +
              std::to_string(HIWORD(v.LowPart)) + "." + std::to_string(LOWORD(v.LowPart));
  }
  // The machine's memory as the kernel counts it, outside Wine's memory call, less the 4 KiB page
  // that Wine leaves out of Windows' physical pages (page 0): MiB in tenths, halves up.
  std::istringstream meminfo(Contents("Z:\\proc\\meminfo"));
  std::string name;
  std::uint64_t kib = 0;
  meminfo >> name >> kib;  // its first line: "MemTotal:   24683752 kB"
  REQUIRE(name == "MemTotal:");
  const std::uint64_t tenths = ((kib - 4) * 10 + 512) / 1024;

  Checker checker("native,builtin");
  HWND dialog = checker.Find(kCaption, false);
  const std::string report = Text(GetDlgItem(dialog, 1000));
  const std::string figure = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  CHECK(Difference(report, Report(primary.szDescription, version, sound, figure)) == "same");
  CHECK((GetWindowLongA(GetDlgItem(dialog, 1000), GWL_STYLE) & ES_READONLY) != 0);

  const std::string saved = Sjis(u8"出力に成功しました。|成功");
  const std::string work = checker.folder.path;
  CHECK(Difference(checker.Export(dialog, work + "\\saved"), saved) == "same");
  CHECK(Difference(Contents(work + "\\saved.txt"), report) == "same");
  std::ofstream(work + "\\longer.txt") << std::string(3 * report.size(), 'x');
  CHECK(Difference(checker.Export(dialog, work + "\\longer.txt"), "replaced: " + saved) == "same");
  CHECK(Difference(Contents(work + "\\longer.txt"), report) == "same");

  const std::string failed = Sjis(u8"出力に失敗しました。|エラー|icon");  // full.txt: /dev/full
  CHECK(Difference(checker.Export(dialog, ProgramFolder() + "\\full.txt"), failed) == "same");

  PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  CHECK(checker.ExitCode() == 0);
}

TEST_CASE("without DirectX the checker says so and ends with -1 without its dialog") {
  Checker checker("");
  HWND box = checker.Find(Sjis(u8"Quorvexマシン環境情報チェッカー"), true);
  const std::string told = Sjis(u8"DirectDrawデバイスの列挙に失敗しました。");
  CHECK(Difference(Text(GetDlgItem(box, 0xFFFF)), told) == "same");
  const NONCLIENTMETRICSW metrics = SystemFonts();
  CHECK_MESSAGE(WithoutGlyph(metrics.lfCaptionFont, WideText(box)) == "none", "the box's caption");
  CHECK_MESSAGE(WithoutGlyph(metrics.lfMessageFont, WideText(GetDlgItem(box, 0xFFFF))) == "none",
                "the box's text");
  CHECK(checker.Windows() == std::vector<HWND>{box});  // the box alone, no dialog
  Press(box, IDOK);
  CHECK(checker.ExitCode() == 0xFFFFFFFF);
}

TEST_CASE("every character of the caption and of the dialog's texts has a glyph in its font") {
  // The caption in the font that the system gives every caption; the controls in the dialog's own,
  // as the dialog manager makes it from the template (9 points of ＭＳ Ｐゴシック).
  const NONCLIENTMETRICSW metrics = SystemFonts();
  HDC screen = GetDC(nullptr);
  LOGFONTW dialogFont = {-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72)};
  ReleaseDC(nullptr, screen);
  dialogFont.lfCharSet = DEFAULT_CHARSET;
  lstrcpyW(dialogFont.lfFaceName, L"ＭＳ Ｐゴシック");

  Checker checker("native,builtin");
  HWND dialog = checker.Find(kCaption, false);
  CHECK_MESSAGE(WithoutGlyph(metrics.lfCaptionFont, WideText(dialog)) == "none", "the caption");
  for (const int control : {1, 1000, 1001}) {
    CAPTURE(control);
    CHECK(WithoutGlyph(dialogFont, WideText(GetDlgItem(dialog, control))) == "none");
  }
}

TEST_CASE("the dialog template holds word for word the dialog the player sees") {
  HMODULE exe = LoadLibraryExA((ProgramFolder() + "\\QvxCheck.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
  HRSRC resource = FindResourceA(exe, MAKEINTRESOURCEA(101), RT_DIALOG);
  REQUIRE(resource != nullptr);
  // The standard template's words in order; each control starts on a 4-byte boundary.
  const std::pair<std::string, std::u16string> fields[] = {
      {"style", Dword(0x80C800C0)},  // popup, caption, system menu, modal frame, font
      {"extended style", Dword(0)},
      {"controls", {3}},
      {"position and size", {0, 0, 189, 149}},
      {"menu", {0}},
      {"class", {0}},
      {"caption", Terminated(u"Quorvexマシン環境情報チェッカー  Ver.1.00")},
      {"font size", {9}},
      {"font face", Terminated(u"ＭＳ Ｐゴシック")},
      {"padding", {0}},
      {"control 1 style", Dword(0x50010001)},  // default push button
      {"control 1 extended style", Dword(0)},
      {"control 1 position and size", {160, 130, 23, 14}},
      {"control 1 id", {1}},
      {"control 1 class", {0xFFFF, 0x0080}},  // button
      {"control 1 text", Terminated(u"閉じる")},
      {"control 1 creation data", {0}},
      {"control 2 style", Dword(0x50A118C4)},  // border, vertical scroll bar, read-only, ...
      {"control 2 extended style", Dword(0)},
      {"control 2 position and size", {5, 5, 175, 115}},
      {"control 2 id", {1000}},
      {"control 2 class", {0xFFFF, 0x0081}},  // edit
      {"control 2 text", {0}},
      {"control 2 creation data", {0}},
      {"padding", {0}},
      {"control 3 style", Dword(0x50010000)},  // push button
      {"control 3 extended style", Dword(0)},
      {"control 3 position and size", {5, 130, 43, 14}},
      {"control 3 id", {1001}},
      {"control 3 class", {0xFFFF, 0x0080}},
      {"control 3 text", Terminated(u"テキスト出力")},
      {"control 3 creation data", {0}}};
  const char* at = static_cast<const char*>(LockResource(LoadResource(exe, resource)));
  const char* const end = at + SizeofResource(exe, resource);
  for (const auto& [field, words] : fields) {
    const std::string expected(reinterpret_cast<const char*>(words.data()), 2 * words.size());
    const std::string found(at, std::min<size_t>(expected.size(), end - at));
    at += found.size();
    CHECK_MESSAGE(found == expected, field << ": expected '" << Escaped(expected) << "', found '"
                                           << Escaped(found) << "'");
  }
  FreeLibrary(exe);
}
