#include "survey/driver_version.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "platform/version_info.h"
#include "report/report.h"

namespace {

// "\StringFileInfo\llllcccc\FileVersion" for language l and code page c, lowercase hex.
void FormatStringPath(char (&path)[MAX_PATH], WORD language, WORD codePage) {
  static const char kHex[] = "0123456789abcdef";
  std::memset(path, 0, sizeof path);
  char* p = path;
  for (const char* s = "\\StringFileInfo\\"; *s != '\0'; ++s) *p++ = *s;
  for (const WORD word : {language, codePage}) {
    for (int shift = 12; shift >= 0; shift -= 4) *p++ = kHex[(word >> shift) & 0xF];
  }
  for (const char* s = "\\FileVersion"; *s != '\0'; ++s) *p++ = *s;
}

// Whether [value, value + length) lies inside the block.
bool InsideBlock(const void* value, size_t length, const char* block, DWORD size) {
  const char* p = static_cast<const char*>(value);
  return p >= block && p < block + size && length <= static_cast<size_t>(block + size - p);
}

// Whether the platform's lookup can be trusted with this block. The lookup takes no size: it walks
// the block as far as the root node's own length (its first word) says. For a 32-bit resource,
// whose header holds a type word and a UTF-16 key, it also converts each text it returns into the
// room behind the node (four bytes on, at the text's offset within the node), which
// GetFileVersionInfoA leaves for that: twice the node's length and four bytes in all. A 16-bit
// resource has an ANSI key right after its two length words and is read as it stands. A root
// length that does not fit, or cannot even hold the root's own header, comes from a damaged file.
bool RootFits(const char* block, DWORD size) {
  constexpr DWORD k16BitHeader = 4 + sizeof "VS_VERSION_INFO";
  constexpr DWORD k32BitHeader = 6 + 2 * sizeof "VS_VERSION_INFO";
  if (size < 6) return false;
  WORD length;
  std::memcpy(&length, block, sizeof length);
  if (static_cast<unsigned char>(block[4]) >= ' ') return length >= k16BitHeader && length <= size;
  return length >= k32BitHeader && 2 * DWORD{length} + 4 <= size;
}

}  // namespace

std::string IdentifiedDriverVersion(LARGE_INTEGER version) {
  std::string text;
  if (version.QuadPart == 0) return text;
  const DWORD high = static_cast<DWORD>(version.HighPart);
  for (const WORD word : {HIWORD(high), LOWORD(high), HIWORD(version.LowPart)}) {
    AppendDecimal(text, word);
    text += '.';
  }
  AppendDecimal(text, LOWORD(version.LowPart));
  return text;
}

int GetDriverFileVersion(char* out, int outSize, const char* fileName) {
  const DWORD size = version_info::InfoSize(fileName);
  if (size == 0) return 0;
  std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
  if (!block) return 0;
  std::memset(block.get(), 0, size);
  if (!version_info::ReadInfo(fileName, size, block.get()) || !RootFits(block.get(), size)) {
    return 0;
  }

  void* translations = nullptr;
  UINT translationsLength = 0;
  if (!version_info::QueryValue(block.get(), "\\VarFileInfo\\Translation", &translations,
                                &translationsLength) ||
      translationsLength < sizeof(std::uint32_t) ||
      !InsideBlock(translations, sizeof(std::uint32_t), block.get(), size)) {
    return 0;  // no table, or a table without a single entry
  }
  std::uint32_t first;
  std::memcpy(&first, translations, sizeof first);

  char path[MAX_PATH];
  FormatStringPath(path, LOWORD(first), HIWORD(first));
  void* value = nullptr;
  UINT valueLength = 0;
  if (!version_info::QueryValue(block.get(), path, &value, &valueLength)) return 0;

  // The text is read only inside the block, whether or not it is terminated there.
  if (!InsideBlock(value, 1, block.get(), size)) return 0;
  const char* text = static_cast<const char*>(value);
  const size_t room =
      std::min(static_cast<size_t>(block.get() + size - text), static_cast<size_t>(outSize - 1));
  const void* zero = std::memchr(text, '\0', room);
  const size_t length = zero != nullptr ? static_cast<const char*>(zero) - text : room;
  std::memset(out, 0, static_cast<size_t>(outSize));
  std::memcpy(out, text, length);
  return 1;
}
