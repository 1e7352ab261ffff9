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

// A folder of its own for each test, with the event file's path in it.
class Win32EventFiles : public ::testing::Test {
 protected:
  Win32EventFiles() : dir_(e2e::TestWorkDir()), path_(dir_ / "QsStat.sta") {}
  // The names of every file in the folder.
  std::vector<std::string> Names() const { return e2e::ListFilesRecursive(dir_.Path()); }
  e2e::WorkDir dir_;
  std::string path_;
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
  void HoldForAppending(const std::string& name, bool shares_delete) override {
    const DWORD share =
        FILE_SHARE_READ | FILE_SHARE_WRITE | (shares_delete ? FILE_SHARE_DELETE : 0);
    held_ = CreateFileW(e2e::Wide(Path(name)).c_str(), FILE_APPEND_DATA, share, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);
  }
  void HolderAppends(const std::string& bytes) override {
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(held_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  void Release() override {
    CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }
  void SetAttributes(const std::string& name, std::uint32_t bits) override {
    ASSERT_TRUE(SetFileAttributesW(e2e::Wide(Path(name)).c_str(), bits));
  }
  std::uint32_t Attributes(const std::string& name) override {
    return GetFileAttributesW(e2e::Wide(Path(name)).c_str()) & 3;
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

// A hidden event file stays hidden: the copy that takes its place is made
// and filled although it bears the attribute.
TEST_F(Win32EventFiles, TrimsARealHiddenFileAndLeavesNoOtherFile) {
  const auto records = message_test::SampleEvents(30000);
  const std::string stored = message_test::Shift(message_test::FrameRecords(records));
  ASSERT_TRUE(fs_.WriteWhole(path_, stored));
  ASSERT_TRUE(SetFileAttributesW(e2e::Wide(path_).c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::uint64_t size = message::TrimEventFile(fs_, path_, stored.size()).value();
  EXPECT_LE(size, message::EVENT_FILE_KEEP_BYTES);
  EXPECT_EQ(fs_.FileSize(path_), size);
  EXPECT_EQ(Names(), std::vector<std::string>{"QsStat.sta"});
  EXPECT_TRUE(GetFileAttributesW(e2e::Wide(path_).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  const auto kept = fs_.ReadFrom(path_, 0, kAll);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(stored.substr(stored.size() - kept->size()), *kept);
}

TEST_F(Win32EventFiles, ATrimBesideAHolderWithoutDeleteSharingLeavesTheFile) {
  const std::string stored =
      message_test::Shift(message_test::FrameRecords(message_test::SampleEvents(25000)));
  ASSERT_TRUE(fs_.WriteWhole(path_, stored));
  // A file opened without sharing delete cannot be moved aside.
  HANDLE held = CreateFileW(e2e::Wide(path_).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(message::TrimEventFile(fs_, path_, stored.size()), stored.size());
  CloseHandle(held);
  EXPECT_EQ(fs_.ReadFrom(path_, 0, kAll), stored);
  EXPECT_EQ(Names(), std::vector<std::string>{"QsStat.sta"});
}

// A pause lasts its time and hands the messages that arrive meanwhile to
// the window engine's handler, also one that arrives before it began.
TEST(Win32EventFilePause, LastsItsTimeAndHandsOnTheMessagesMeanwhile) {
  int handled = 0;
  Win32EventFileSystem fs([&handled] {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ++handled;
  });
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0));
  const DWORD began = GetTickCount();
  fs.Pause(80);
  EXPECT_GE(GetTickCount() - began, 70u);  // the tick count's steps are about 16 ms
  EXPECT_EQ(handled, 1);
}

}  // namespace
