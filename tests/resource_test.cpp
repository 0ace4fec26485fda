// The dialog template as it stands in the built executables, read as data.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/test_files.h"

namespace {

// The template, put together from its parts: a standard DLGTEMPLATE with a font, then each
// control on a DWORD boundary with the class as a predefined ordinal.
class Template {
 public:
  void Word(WORD value) {
    bytes_.push_back(static_cast<char>(value & 0xFF));
    bytes_.push_back(static_cast<char>(value >> 8));
  }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4 != 0) bytes_.push_back('\0');
  }
  void Control(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
               const std::wstring& text) {
    Align();
    Dword(style);
    Dword(0);  // extended style
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

std::string ExpectedTemplate() {
  Template t;
  t.Dword(0x80C800C0);  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
  t.Dword(0);
  t.Word(3);
  for (short v : {0, 0, 189, 149}) t.Word(static_cast<WORD>(v));
  t.Word(0);  // no menu
  t.Word(0);  // the standard dialog class
  t.Text(L"Quorvex\u30de\u30b7\u30f3\u74b0\u5883\u60c5\u5831\u30c1\u30a7\u30c3\u30ab\u30fc  Ver.1.00");
  t.Word(9);
  t.Text(L"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af");  // ＭＳ Ｐゴシック
  t.Control(0x50010001, 160, 130, 23, 14, IDOK, 0x0080, L"\u9589\u3058\u308b");  // 閉じる
  t.Control(0x50A118C4, 5, 5, 175, 115, 1000, 0x0081, L"");
  t.Control(0x50010000, 5, 130, 43, 14, 1001, 0x0080,
            L"\u30c6\u30ad\u30b9\u30c8\u51fa\u529b");  // テキスト出力
  return t.Bytes();
}

struct Found {
  std::vector<ULONG_PTR> types, names;
  std::vector<WORD> languages;
};

BOOL CALLBACK OnType(HMODULE, LPSTR type, LONG_PTR context) {
  reinterpret_cast<Found*>(context)->types.push_back(reinterpret_cast<ULONG_PTR>(type));
  return TRUE;
}
BOOL CALLBACK OnName(HMODULE, LPCSTR, LPSTR name, LONG_PTR context) {
  reinterpret_cast<Found*>(context)->names.push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}
BOOL CALLBACK OnLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context) {
  reinterpret_cast<Found*>(context)->languages.push_back(language);
  return TRUE;
}

void CheckExecutable(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << path;
  Found found;
  EnumResourceTypesA(module, OnType, reinterpret_cast<LONG_PTR>(&found));
  EnumResourceNamesA(module, MAKEINTRESOURCEA(5), OnName, reinterpret_cast<LONG_PTR>(&found));
  EnumResourceLanguagesA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), OnLanguage,
                         reinterpret_cast<LONG_PTR>(&found));
  EXPECT_EQ(found.types, std::vector<ULONG_PTR>{5}) << "one resource type: the dialog";
  EXPECT_EQ(found.names, std::vector<ULONG_PTR>{101});
  EXPECT_EQ(found.languages, std::vector<WORD>{1041});

  HRSRC resource = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), 1041);
  ASSERT_NE(resource, nullptr);
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
  const std::string actual(data, SizeofResource(module, resource));
  EXPECT_EQ(actual, ExpectedTemplate());
  FreeLibrary(module);
}

TEST(DialogTemplate, IsTheOnlyResourceOfTheSixtyFourBitBuild) {
  CheckExecutable(test_files::FromUnix(QVX_CHECKER_EXE));
}

TEST(DialogTemplate, IsTheOnlyResourceOfTheThirtyTwoBitProduct) {
  const std::string product = test_files::FromUnix(QVX_PRODUCT_EXE);
  if (GetFileAttributesA(product.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "the 32-bit product is not built (cmake --build --preset win32)";
  }
  CheckExecutable(product);
}

}  // namespace
