// Renaming and deleting files as the list writer does: a temporary file replaces
// "vexasysids.enc" in one step with MOVEFILE_REPLACE_EXISTING, and is deleted when that fails.
// File attributes as the list reader asks for them, to refuse a directory before opening it.
// Each test works in a scratch directory of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "tests/conformance/conformance_platform.h"
#include "tests/crossbuild/scratch_directory.h"
#include "winapi/win32.h"

namespace {

constexpr char kList[] = "vexasysids.enc";
constexpr char kTemporary[] = "vexasysids.enc.tmp";
// Windows and Wine take '/' as a path separator as POSIX does.
constexpr char kInMissingFolder[] = "qv-no-such-folder/vexasysids.enc";

void WriteText(const char* name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

// The whole file, or nothing when it cannot be opened.
std::optional<std::string> ReadText(const char* name) {
  std::ifstream file(name, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The file is read-only while this object lives (on Windows the read-only attribute, on POSIX
// no write permission), so that the scratch directory can be removed afterwards.
class ScopedReadOnly {
 public:
  explicit ScopedReadOnly(const char* name) : name_(name) { SetWritable(false); }
  ~ScopedReadOnly() { SetWritable(true); }
  ScopedReadOnly(const ScopedReadOnly&) = delete;
  ScopedReadOnly& operator=(const ScopedReadOnly&) = delete;

 private:
  // Never throws: the file may be gone when the test is done with it.
  void SetWritable(bool writable) {
    using std::filesystem::perms;
    std::error_code ignored;
    std::filesystem::permissions(
        name_, perms::owner_write | perms::group_write | perms::others_write,
        writable ? std::filesystem::perm_options::add : std::filesystem::perm_options::remove,
        ignored);
  }
  std::string name_;
};

class FileConformance : public ::testing::Test {
 protected:
  // False with exactly `error` as the last error.
  static void ExpectMoveFails(const char* from, const char* to, DWORD flags, DWORD error) {
    SCOPED_TRACE(std::string(from) + " -> " + to + ", flags " + std::to_string(flags));
    SetLastError(0);
    EXPECT_FALSE(MoveFileExA(from, to, flags));
    EXPECT_EQ(GetLastError(), error);
  }
  static void ExpectDeleteFails(const char* name, DWORD error) {
    SCOPED_TRACE(name);
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(name));
    EXPECT_EQ(GetLastError(), error);
  }
  static void ExpectNoAttributes(const char* name, DWORD error) {
    SCOPED_TRACE(name == nullptr ? "a null name" : name);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), error);
  }

  qv::testing::ScratchDirectory scratch_;
};

TEST_F(FileConformance, ReplacingPutsTheNewListInPlaceOfTheOld) {
  WriteText(kList, "old list");
  WriteText(kTemporary, "new list");
  EXPECT_TRUE(MoveFileExA(kTemporary, kList, MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText(kList), "new list");
  EXPECT_EQ(ReadText(kTemporary), std::nullopt);
}

TEST_F(FileConformance, TheFirstListNeedsNothingToReplace) {
  WriteText(kTemporary, "first list");
  EXPECT_TRUE(MoveFileExA(kTemporary, kList, MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText(kList), "first list");
  EXPECT_EQ(ReadText(kTemporary), std::nullopt);
}

TEST_F(FileConformance, WithoutReplaceExistingAnExistingFileStays) {
  WriteText(kList, "old list");
  WriteText(kTemporary, "new list");
  ExpectMoveFails(kTemporary, kList, 0, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadText(kList), "old list");
  EXPECT_EQ(ReadText(kTemporary), "new list");
}

// A read-only list makes the list writer fail rather than replace it.
TEST_F(FileConformance, AReadOnlyListIsNotReplaced) {
  WriteText(kList, "old list");
  WriteText(kTemporary, "new list");
  BOOL moved = FALSE;
  DWORD error = 0;
  {
    ScopedReadOnly readOnly(kList);
    SetLastError(0);
    moved = MoveFileExA(kTemporary, kList, MOVEFILE_REPLACE_EXISTING);
    error = GetLastError();
  }
  if (qv::conformance::RunningUnderWine() && moved)
    GTEST_SKIP() << "Wine replaces a read-only file; Windows refuses with ERROR_ACCESS_DENIED";
  EXPECT_FALSE(moved);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadText(kList), "old list");
  EXPECT_EQ(ReadText(kTemporary), "new list");
}

TEST_F(FileConformance, MovingWhatIsNotThereNamesTheMissingPart) {
  WriteText(kList, "old list");
  // The source is looked for first, so an existing destination does not matter.
  ExpectMoveFails(kTemporary, kList, MOVEFILE_REPLACE_EXISTING, ERROR_FILE_NOT_FOUND);
  ExpectMoveFails(kTemporary, kList, 0, ERROR_FILE_NOT_FOUND);
  ExpectMoveFails(kInMissingFolder, kList, MOVEFILE_REPLACE_EXISTING, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadText(kList), "old list");

  WriteText(kTemporary, "new list");
  ExpectMoveFails(kTemporary, kInMissingFolder, MOVEFILE_REPLACE_EXISTING, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadText(kTemporary), "new list");
}

TEST_F(FileConformance, DeletingRemovesTheFileOnce) {
  WriteText(kTemporary, "left over");
  EXPECT_TRUE(DeleteFileA(kTemporary));
  EXPECT_EQ(ReadText(kTemporary), std::nullopt);
  ExpectDeleteFails(kTemporary, ERROR_FILE_NOT_FOUND);
  ExpectDeleteFails(kInMissingFolder, ERROR_PATH_NOT_FOUND);
}

TEST_F(FileConformance, AReadOnlyFileIsNotDeleted) {
  WriteText(kTemporary, "left over");
  {
    ScopedReadOnly readOnly(kTemporary);
    ExpectDeleteFails(kTemporary, ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(ReadText(kTemporary), "left over");
}

TEST_F(FileConformance, ADirectoryHasTheDirectoryAttribute) {
  std::filesystem::create_directory("folder");
  SetLastError(0);
  const DWORD attributes = GetFileAttributesA("folder");
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "error " << GetLastError();
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  // The current directory is one too.
  EXPECT_NE(GetFileAttributesA(".") & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// Windows sets the archive bit on every file it creates, and Wine reports it for every file; but
// a backup tool or a file system without the bit leaves a file with no attribute, which Windows
// reports as FILE_ATTRIBUTE_NORMAL. Only that bit may vary.
TEST_F(FileConformance, AFileIsArchivedAndReadOnlyOnlyWhenMadeSo) {
  WriteText(kList, "list");
  const DWORD plain = GetFileAttributesA(kList);
  EXPECT_TRUE(plain == FILE_ATTRIBUTE_ARCHIVE || plain == FILE_ATTRIBUTE_NORMAL)
      << std::hex << plain;

  DWORD readOnly = 0;
  {
    ScopedReadOnly scoped(kList);
    readOnly = GetFileAttributesA(kList);
  }
  EXPECT_TRUE(readOnly == (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE) ||
              readOnly == FILE_ATTRIBUTE_READONLY)
      << std::hex << readOnly;
  EXPECT_EQ(GetFileAttributesA(kList), plain);
}

TEST_F(FileConformance, NoAttributesForWhatIsNotThere) {
  ExpectNoAttributes(kTemporary, ERROR_FILE_NOT_FOUND);
  ExpectNoAttributes(kInMissingFolder, ERROR_PATH_NOT_FOUND);
  // An empty name names no folder either; Wine fails a null name the same way (Windows
  // documents neither, and the list reader never passes one).
  ExpectNoAttributes("", ERROR_PATH_NOT_FOUND);
  ExpectNoAttributes(nullptr, ERROR_PATH_NOT_FOUND);
}

}  // namespace
