// The event file's Win32 system access, on real files of the prefix.
#include "Win32EventFileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "EventFileContract.h"
#include "EventWriter.h"
#include "Driver.h"
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

// Real files in a folder of their own for each case.
class RealGround : public message_test::EventFileGround {
 public:
  explicit RealGround(const std::string& dir) : dir_(dir) { EXPECT_TRUE(e2e::MakeDirs(dir_)); }
  ~RealGround() override {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
  }
  message::EventFileSystem& Sys() override { return fs_; }
  std::string Path(const std::string& name) override { return dir_ + "\\" + name; }
  void Folder(const std::string& name) override { ASSERT_TRUE(e2e::MakeDirs(Path(name))); }
  void File(const std::string& name, const std::string& bytes) override {
    ASSERT_TRUE(fs_.WriteWhole(Path(name), bytes));
  }
  void HoldForAppending(const std::string& name) override {
    held_ = CreateFileW(e2e::Wide(Path(name)).c_str(), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);
  }

 private:
  std::string dir_;
  Win32EventFileSystem fs_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST(EventFileContract, TheRealSystemKeepsIt) {
  const e2e::WorkDir base = e2e::TestWorkDir();
  int n = 0;
  for (const message_test::EventFileCase& c : message_test::EventFileContract()) {
    SCOPED_TRACE(c.name);
    RealGround ground(base / ("Fall " + std::to_string(++n)));
    c.run(ground);
  }
}

TEST_F(Win32EventFiles, AReplacedFileKeepsItsAttributes) {
  const std::string other = dir_ + "\\other", backup = path_ + ".bak";
  ASSERT_TRUE(fs_.WriteWhole(path_, "old"));
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(fs_.WriteWhole(other, "new"));
  ASSERT_TRUE(fs_.Replace(other, path_, backup));
  EXPECT_TRUE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  fs_.Remove(backup);
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  fs_.Remove(path_);
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
