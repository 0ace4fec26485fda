// What both test programs need: the checker's texts as Shift-JIS bytes, written out so that a wrong
// conversion of the program's sources shows up; the report as a user reads it; real files.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace texts {

// Quorvexマシン環境情報チェッカー; DirectDraw/DirectSound + デバイスの列挙に失敗しました。;
// DirectDrawインターフェースの取得に失敗しました。 LF DirectX7はきちんとインストールされてますか？
inline const std::string kTitle = "Quorvex\x83\x7d\x83\x56\x83\x93\x8a\xc2\x8b\xab\x8f\xee\x95\xf1\x83\x60\x83\x46\x83\x62\x83\x4a\x81\x5b";
inline const std::string kEnumFailed = "\x83\x66\x83\x6f\x83\x43\x83\x58\x82\xcc\x97\xf1\x8b\x93\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
inline const std::string kNoDevice = "DirectDraw" + kEnumFailed, kNoSound = "DirectSound" + kEnumFailed;
inline const std::string kNoDirectDraw =
    "DirectDraw\x83\x43\x83\x93\x83\x5e\x81\x5b\x83\x74\x83\x46\x81\x5b\x83\x58\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\n"
    "DirectX7\x82\xcd\x82\xab\x82\xbf\x82\xf1\x82\xc6\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb3\x82\xea\x82\xc4\x82\xdc\x82\xb7\x82\xa9\x81\x48";
// 出力に成功しました。|成功, 出力に失敗しました。|エラー: a result box's text and title.
inline const std::string kSaved = "\x8f\x6f\x97\xcd\x82\xc9\x90\xac\x8c\xf7\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42|\x90\xac\x8c\xf7";
inline const std::string kNotSaved = "\x8f\x6f\x97\xcd\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42|\x83\x47\x83\x89\x81\x5b";
// ファイルの保存; テキストファイル(*.txt) NUL *.txt NUL NUL
inline const std::string kSaveTitle = "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x95\xdb\x91\xb6";
inline const std::string kFilter("\x83\x65\x83\x4c\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b(*.txt)\0*.txt\0", 31);

// The report up to its memory figure: ＜ビデオカード＞, ＜ビデオカードドライバのバージョン情報＞,
// ＜サウンドドライバー一覧＞ and ＜搭載メインメモリ＞ with their values.
inline std::string ReportHead(const std::string& card, const std::string& version, const std::string& sound) {
  return "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x81\x84\r\n\t" + card +
         "\r\n\r\n\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1\x81\x84\r\n\t" +
         version + "\r\n\t\r\n\x81\x83\x83\x54\x83\x45\x83\x93\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f\x81\x5b\x88\xea\x97\x97\x81\x84\r\n" +
         sound + "\r\n\x81\x83\x93\x8b\x8d\xda\x83\x81\x83\x43\x83\x93\x83\x81\x83\x82\x83\x8a\x81\x84\r\n\t";
}

// 600 digits, the version text of version_long.dll.
inline const char kDigits[] = "012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789";

}  // namespace texts

inline std::string Read(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

// A new folder in the temporary folder, unique however Wine numbers processes.
inline std::string NewFolder(const char* tag) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (LARGE_INTEGER now;;) {
    QueryPerformanceCounter(&now);
    const std::string folder = temp + std::string(tag) + std::to_string(now.QuadPart);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
  }
}
