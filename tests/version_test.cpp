// The driver version lookup against real PE files with version resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "survey/driver_version.h"
#include "tests/test_files.h"

namespace {

using test_files::Beside;

constexpr int kSize = 512;

struct Buffer {
  Buffer() { std::memset(bytes, 'X', sizeof bytes); }
  bool Untouched() const {
    for (char c : bytes)
      if (c != 'X') return false;
    return true;
  }
  // The text, and whether everything behind it up to the end of the buffer is zero.
  std::string Text() const { return std::string(bytes, strnlen(bytes, kSize)); }
  bool ZeroAfterText() const {
    for (size_t i = Text().size(); i < kSize; ++i)
      if (bytes[i] != '\0') return false;
    return true;
  }
  char bytes[kSize];
};

TEST(GetDriverFileVersion, ReadsTheFileVersionTextOfTheFirstTranslation) {
  Buffer buffer;
  ASSERT_EQ(GetDriverFileVersion(buffer.bytes, kSize, Beside("version_ja.dll").c_str()), 1);
  EXPECT_EQ(buffer.Text(), "6.14.10.0411 (ja)");
  EXPECT_TRUE(buffer.ZeroAfterText());
}

TEST(GetDriverFileVersion, ALongTextIsCutToTheBuffer) {
  std::string expected;
  for (int i = 0; i < 511; ++i) expected += static_cast<char>('0' + i % 10);
  Buffer buffer;
  ASSERT_EQ(GetDriverFileVersion(buffer.bytes, kSize, Beside("version_long.dll").c_str()), 1);
  EXPECT_EQ(buffer.Text(), expected);
  EXPECT_EQ(buffer.bytes[511], '\0');

  Buffer small;
  ASSERT_EQ(GetDriverFileVersion(small.bytes, 8, Beside("version_long.dll").c_str()), 1);
  EXPECT_EQ(std::string(small.bytes, 8), std::string("0123456\0", 8));
  EXPECT_EQ(small.bytes[8], 'X') << "nothing written past outSize";
}

TEST(GetDriverFileVersion, GivesZeroAndLeavesTheBufferAloneWithoutAVersion) {
  const char* files[] = {
      "version_second.dll",          // the first translation has no FileVersion
      "version_no_translation.dll",  // a translation table without an entry
      "version_none.dll",            // no version resource at all
      "no_such_file.dll",
  };
  for (const char* file : files) {
    Buffer buffer;
    EXPECT_EQ(GetDriverFileVersion(buffer.bytes, kSize, Beside(file).c_str()), 0) << file;
    EXPECT_TRUE(buffer.Untouched()) << file;
  }
}

}  // namespace
