// What the checks share: the checker's texts as a user sees them, the folder of the fixtures.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

// A UTF-8 text in Shift-JIS bytes, converted by the platform (code page 932) rather than by the
// compiler that builds the checker, so that a wrong conversion of the checker's texts shows. A
// text that does not fit or has no Shift-JIS form throws, failing the check that asked for it.
inline std::string Sjis(const char* utf8) {
  wchar_t wide[256];
  char bytes[512];
  BOOL lossy = FALSE;
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, 256);
  const int length = WideCharToMultiByte(932, 0, wide, wideLength, bytes, 512, nullptr, &lossy);
  if (length <= 0 || lossy) throw std::invalid_argument(std::string("no Shift-JIS for ") + utf8);
  return std::string(bytes, length - 1);
}

// The report that the checker shows and saves for these facts; `memory` is the figure shown.
inline std::string Report(const std::string& card, const std::string& version,
                          const std::string& sound, const std::string& memory) {
  return Sjis(u8"＜ビデオカード＞") + "\r\n\t" + card + "\r\n\r\n" +
         Sjis(u8"＜ビデオカードドライバのバージョン情報＞") + "\r\n\t" + version + "\r\n\t\r\n" +
         Sjis(u8"＜サウンドドライバー一覧＞") + "\r\n" + sound + "\r\n" +
         Sjis(u8"＜搭載メインメモリ＞") + "\r\n\t" + memory + "MB\r\n";
}

// The folder of this program, where the build puts the fixtures.
inline std::string ProgramFolder() {
  char path[MAX_PATH];
  const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return program.substr(0, program.rfind('\\'));
}
