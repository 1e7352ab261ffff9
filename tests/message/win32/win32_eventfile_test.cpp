// The event file's Win32 system access, on real files of the prefix.
#include "Win32EventFileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "EventWriter.h"
#include "eventfile.h"

namespace {

constexpr std::uint64_t kAll = UINT64_MAX;

class Win32EventFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::string(tmp) + "message_win32_" + info->name();
    CreateDirectoryA(dir_.c_str(), nullptr);
    path_ = dir_ + "\\QsStat.sta";
    DeleteFileA(path_.c_str());
    DeleteFileA((path_ + ".tmp").c_str());
    DeleteFileA((path_ + ".bak").c_str());
  }
  std::string dir_, path_;
  Win32EventFileSystem fs_;
};

TEST_F(Win32EventFiles, ModuleDirIsTheExecutablesFolder) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::string dir = fs_.ModuleDir();
  EXPECT_EQ(dir + "\\" + std::string(exe).substr(dir.size() + 1), exe);
  EXPECT_NE(dir.back(), '\\');
}

TEST_F(Win32EventFiles, WritesReadsAppendsAndReplaces) {
  EXPECT_FALSE(fs_.FileSize(path_).has_value());
  EXPECT_FALSE(fs_.ReadFrom(path_, 0, kAll).has_value());
  EXPECT_FALSE(fs_.FileSize(dir_).has_value()) << "a folder has no event size";
  const std::string bytes(
      "a\0\x02\xFF"
      "bc",
      6);
  ASSERT_TRUE(fs_.WriteWhole(path_, bytes));
  EXPECT_EQ(fs_.FileSize(path_), 6u);
  EXPECT_EQ(fs_.ReadFrom(path_, 0, kAll), bytes);
  EXPECT_EQ(fs_.ReadFrom(path_, 4, kAll), "bc");
  EXPECT_EQ(fs_.ReadFrom(path_, 1, 2), std::string("\0\x02", 2));
  EXPECT_EQ(fs_.ReadFrom(path_, 10, kAll), "");
  ASSERT_TRUE(fs_.Append(path_, "de"));
  EXPECT_EQ(fs_.ReadFrom(path_, 6, kAll), "de");

  // The replaced file keeps its attributes; the old one waits as the backup.
  const std::string other = dir_ + "\\other", backup = path_ + ".bak";
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(fs_.WriteWhole(other, "new"));
  ASSERT_TRUE(fs_.Replace(other, path_, backup));
  EXPECT_EQ(fs_.ReadFrom(path_, 0, kAll), "new");
  EXPECT_EQ(fs_.ReadFrom(backup, 0, kAll), bytes + "de");
  EXPECT_TRUE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(fs_.FileSize(other).has_value());
  // Nothing to put in place: the target stays.
  EXPECT_FALSE(fs_.Replace(other, path_, backup));
  EXPECT_EQ(fs_.ReadFrom(path_, 0, kAll), "new");
  fs_.Remove(backup);
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  fs_.Remove(path_);
  EXPECT_FALSE(fs_.FileSize(path_).has_value());
}

TEST_F(Win32EventFiles, TrimsARealFileAndLeavesNoTemporaryFile) {
  const auto records = message_test::SampleEvents(30000);
  const std::string stored = message_test::Shift(message_test::FrameRecords(records));
  ASSERT_TRUE(fs_.WriteWhole(path_, stored));
  const std::uint64_t size = message::TrimEventFile(fs_, path_, stored.size()).value();
  EXPECT_LE(size, message::EVENT_FILE_KEEP_BYTES);
  EXPECT_EQ(fs_.FileSize(path_), size);
  EXPECT_FALSE(fs_.FileSize(path_ + ".tmp").has_value());
  EXPECT_FALSE(fs_.FileSize(path_ + ".bak").has_value());
  const auto kept = fs_.ReadFrom(path_, 0, kAll);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(stored.substr(stored.size() - kept->size()), *kept);
}

TEST_F(Win32EventFiles, ATrimThatCannotReplaceLeavesTheFile) {
  const std::string stored =
      message_test::Shift(message_test::FrameRecords(message_test::SampleEvents(25000)));
  ASSERT_TRUE(fs_.WriteWhole(path_, stored));
  // A file opened without sharing delete cannot be replaced.
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(message::TrimEventFile(fs_, path_, stored.size()), stored.size());
  CloseHandle(held);
  EXPECT_EQ(fs_.ReadFrom(path_, 0, kAll), stored);
  EXPECT_FALSE(fs_.FileSize(path_ + ".tmp").has_value());
  EXPECT_FALSE(fs_.FileSize(path_ + ".bak").has_value());
}

}  // namespace
