// The file writer against real files as the platform provides them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "fileio/us_file.h"
#include "fileio/us_file_error.h"
#include "tests/test_files.h"

namespace {

using test_files::ReadAll;

void WriteAll(const std::string& path, const std::string& content) {
  ASSERT_TRUE(test_files::WriteAll(path, content)) << path;
}

// A fresh folder per test, removed with everything in it afterwards.
class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string folder = test_files::NewFolder("file");
    ASSERT_FALSE(folder.empty());
    dir_ = folder + "\\";
  }
  void TearDown() override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((dir_ + found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(dir_.c_str());
  }
  std::string Path(const std::string& name) const { return dir_ + name; }
  std::string dir_;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Whether anyone else can open the file right now.
bool OthersCanOpen(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Runs `action`, which must throw CUSFileError, and returns the caught copy.
template <typename Action>
CUSFileError Thrown(Action action) {
  try {
    action();
  } catch (const CUSFileError& error) {
    return error;  // a copy, which outlives the thrown object
  }
  ADD_FAILURE() << "no CUSFileError thrown";
  return CUSFileError("", "", 0);
}

void ExpectError(const CUSFileError& error, const std::string& fileName, const char* message,
                 int code) {
  EXPECT_EQ(error.FileName(), fileName);
  EXPECT_EQ(error.Message(), message);
  EXPECT_EQ(error.Code(), code);
}

TEST_F(FileTest, RefusesWhatItCannotDoAndKeepsWhatItHolds) {
  CUSFile writer;
  ExpectError(Thrown([&] { writer.Write("x", 1); }), "", "Don't Write", 6);
  writer.Close();  // nothing held: nothing happens

  const std::string held = Path("held.txt");
  writer.Open(held);
  ExpectError(Thrown([&] { writer.Write("x", 0); }), held, "Don't Write", 6);
  ExpectError(Thrown([&] { writer.Write(nullptr, 1); }), held, "Don't Write", 6);

  const std::string other = Path("other.txt");
  ExpectError(Thrown([&] { writer.Open(other); }), other, "Already Open(Save)", 4);
  EXPECT_FALSE(Exists(other));

  // The held file is still open and usable under its own name.
  writer.Write("abc", 3);
  writer.Close();
  EXPECT_EQ(ReadAll(held), "abc");

  ExpectError(Thrown([&] { writer.Write("x", 1); }), held, "Don't Write", 6);
  writer.Close();
  EXPECT_EQ(ReadAll(held), "abc");
}

TEST_F(FileTest, EmptiesAnExistingFileAndCreatesAMissingOne) {
  const std::string existing = Path("existing.txt");
  WriteAll(existing, std::string(10000, 'o'));
  {
    CUSFile writer;
    writer.Open(existing);
    writer.Close();
  }
  EXPECT_EQ(ReadAll(existing), "");

  const std::string fresh = Path("fresh.txt");
  CUSFile writer;
  writer.Open(fresh);
  EXPECT_TRUE(Exists(fresh));
  writer.Close();
  EXPECT_EQ(ReadAll(fresh), "");

  // After refusals of bad names the same writer opens a good one.
  ExpectError(Thrown([&] { writer.Open(""); }), "", "Don't Open File(Save)", 2);
  const std::string nowhere = Path("missing\\folder\\x.txt");
  ExpectError(Thrown([&] { writer.Open(nowhere); }), nowhere, "Don't Open File(Save)", 2);
  writer.Open(fresh);
  writer.Write("ok", 2);
  writer.Close();
  EXPECT_EQ(ReadAll(fresh), "ok");
}

TEST_F(FileTest, HoldsTheFileWithoutSharingUntilClosed) {
  const std::string path = Path("exclusive.txt");
  CUSFile writer;
  writer.Open(path);
  EXPECT_FALSE(OthersCanOpen(path));

  // Another writer cannot take it either, and the file's content survives the attempt.
  writer.Write("mine", 4);
  CUSFile second;
  ExpectError(Thrown([&] { second.Open(path); }), path, "Don't Open File(Save)", 2);
  writer.Close();
  EXPECT_TRUE(OthersCanOpen(path));
  EXPECT_EQ(ReadAll(path), "mine");
}

TEST_F(FileTest, AFileHeldByAnotherProgramIsRefusedAndKept) {
  const std::string path = Path("locked.txt");
  WriteAll(path, "keep me");
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  CUSFile writer;
  ExpectError(Thrown([&] { writer.Open(path); }), path, "Don't Open File(Save)", 2);
  CloseHandle(other);
  EXPECT_EQ(ReadAll(path), "keep me");
}

TEST_F(FileTest, AReadOnlyFileIsRefusedAndKept) {
  const char* readOnly = std::getenv("QVX_READONLY_FILE");
  if (readOnly == nullptr) GTEST_SKIP() << "the test environment could not make an unwritable file";
  HANDLE probe = CreateFileA(readOnly, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    GTEST_SKIP() << readOnly << " is writable here";
  }
  const std::string before = ReadAll(readOnly);
  CUSFile writer;
  ExpectError(Thrown([&] { writer.Open(readOnly); }), readOnly, "Don't Open File(Save)", 2);
  EXPECT_EQ(ReadAll(readOnly), before);
}

TEST_F(FileTest, WritesExactlyTheBytesGivenUnderAJapaneseName) {
  if (GetACP() != 932) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932";
  // 表 and ソ end in 0x5C, the byte of a backslash: the name must reach the platform unchanged.
  const std::string path = Path("\x95\x5C\x83\x5C.txt");
  const std::string first = "\x81\x83\x83\x72\x83\x66\x83\x49\x81\x84\r\n\t";  // Shift-JIS
  const std::string second("\r\n\0\xff\n", 5);
  CUSFile writer;
  writer.Open(path);
  writer.Write(first.data(), static_cast<std::uint32_t>(first.size()));
  writer.Write(second.data(), static_cast<std::uint32_t>(second.size()));
  writer.Close();
  EXPECT_EQ(ReadAll(path), first + second);

  // The name is the one a Unicode caller sees as 表ソ.txt.
  const std::wstring wide = std::wstring(L"\u8868\u30bd.txt");
  std::string dir = dir_;
  std::wstring widePath(dir.begin(), dir.end());
  EXPECT_NE(GetFileAttributesW((widePath + wide).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileTest, AFullDiskFailsTheWriteAndTheFileStaysHeld) {
  const std::string full = "Z:\\dev\\full";
  HANDLE probe = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no Z:\\dev\\full on this platform";
  CloseHandle(probe);

  CUSFile writer;
  writer.Open(full);
  ExpectError(Thrown([&] { writer.Write("report", 6); }), full, "Don't Write", 6);
  // Still held: a further Open is refused as "already open", not tried.
  const std::string other = Path("other.txt");
  ExpectError(Thrown([&] { writer.Open(other); }), other, "Already Open(Save)", 4);
  EXPECT_FALSE(Exists(other));
}

TEST_F(FileTest, AWriteThatStopsShortIsAFailure) {
  const char* small = std::getenv("QVX_SMALL_DISK_DIR");
  if (small == nullptr) GTEST_SKIP() << "the test environment could not make a small disk";
  const std::string filler = std::string(small) + "\\filler.bin";
  const std::string target = std::string(small) + "\\report.txt";
  ULARGE_INTEGER freeBytes;
  ASSERT_TRUE(GetDiskFreeSpaceExA(small, &freeBytes, nullptr, nullptr));
  ASSERT_GT(freeBytes.QuadPart, 8192u);
  WriteAll(filler, std::string(static_cast<size_t>(freeBytes.QuadPart - 4096), 'f'));

  const std::string report(32768, 'r');
  {
    CUSFile writer;
    writer.Open(target);
    ExpectError(Thrown([&] { writer.Write(report.data(), static_cast<std::uint32_t>(report.size())); }),
                target, "Don't Write", 6);
  }
  EXPECT_LT(ReadAll(target).size(), report.size());
  DeleteFileA(target.c_str());
  DeleteFileA(filler.c_str());
}

TEST(CUSFileError, CopiesCarryAllThreeFieldsAndOutliveTheOriginal) {
  auto original = std::make_unique<CUSFileError>("a.txt", "Don't Write", 6);
  const CUSFileError copy(*original);
  original.reset();
  ExpectError(copy, "a.txt", "Don't Write", 6);

  // Only a handler for CUSFileError itself, or for everything, catches it.
  bool caughtAsStd = false;
  bool caughtAsOwn = false;
  try {
    try {
      throw CUSFileError("b.txt", "Already Open(Save)", 4);
    } catch (const std::exception&) {
      caughtAsStd = true;
    }
  } catch (const CUSFileError& error) {
    caughtAsOwn = true;
    ExpectError(error, "b.txt", "Already Open(Save)", 4);
  }
  EXPECT_FALSE(caughtAsStd);
  EXPECT_TRUE(caughtAsOwn);
}

}  // namespace
