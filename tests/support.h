// What the checks share: the checker's texts as a user sees them, the folder of the fixtures.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

// A UTF-8 text in Shift-JIS bytes, converted by the platform (code page 932), not the compiler that
// builds the checker; one that does not fit or has no Shift-JIS form throws, failing its check.
inline std::string Sjis(const char* utf8) {
  wchar_t wide[256];
  char bytes[512];
  BOOL lossy = FALSE;
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, 256);
  const int length = WideCharToMultiByte(932, 0, wide, wideLength, bytes, 512, nullptr, &lossy);
  if (length <= 0 || lossy) throw std::invalid_argument(std::string("no Shift-JIS for ") + utf8);
  return std::string(bytes, length - 1);
}

// Bytes as ASCII text for a log: every byte but printable ASCII (and the backslash) as \xHH.
inline std::string Escaped(const std::string& bytes) {
  std::string text;
  for (const unsigned char byte : bytes) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    text += byte >= 0x20 && byte < 0x7F && byte != '\\' ? std::string(1, byte) : escape;
  }
  return text;
}

// "same", or both lengths and the first byte that differs, with 24 escaped bytes from 8 before it.
inline std::string Difference(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "same";
  const auto [differs, _] =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const size_t at = differs - actual.begin();
  const size_t from = at < 8 ? 0 : at - 8;
  return std::to_string(actual.size()) + " bytes, expected " + std::to_string(expected.size()) +
         "; first difference at byte " + std::to_string(at) + ", from byte " +
         std::to_string(from) + ": \"" + Escaped(actual.substr(from, 24)) + "\" but expected \"" +
         Escaped(expected.substr(from, 24)) + "\"";
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

// A new temporary folder named from the performance counter (Wine reuses process ids), removed.
struct ScratchFolder {
  ScratchFolder() {
    do {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      path = (std::filesystem::temp_directory_path() / std::to_string(now.QuadPart)).string();
    } while (!CreateDirectoryA(path.c_str(), nullptr));
  }
  ~ScratchFolder() {
    std::error_code ignored;  // what cannot be removed stays in the temporary folder
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};
