// The real system access of the help-viewer check, against the files and the
// environment of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Driver.h"
#include "ProbeContract.h"
#include "Win32ProbeSystem.h"

namespace viewerprobe {
namespace {

class RealGround : public ProbeGround {
 public:
  RealGround(const std::string& base, int n) : dir_(base, "Fall " + std::to_string(n)) {}
  ~RealGround() override {
    for (HANDLE h : held_) CloseHandle(h);
  }
  ProbeSystem& Sys() override { return system_; }
  std::string Path(const std::string& name) override { return dir_ / name; }
  void File(const std::string& name, std::int64_t size) override {
    // Grown to its size without writing it, so a file of gigabytes costs no
    // disk space where the file system keeps it sparse.
    HANDLE h =
        CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool sized = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    ASSERT_TRUE(sized);
  }
  void Folder(const std::string& name) override { ASSERT_TRUE(e2e::MakeDirs(Path(name))); }
  void HoldExclusively(const std::string& name) override {
    HANDLE h = CreateFileA(Path(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    held_.push_back(h);
  }
  // A fresh prefix reports Windows 7, and this test program is given no other.
  void Windows7() override {}

 private:
  e2e::WorkDir dir_;
  Win32ProbeSystem system_;
  std::vector<HANDLE> held_;
};

TEST(ProbeContract, TheRealSystemKeepsIt) {
  const e2e::WorkDir base = e2e::TestWorkDir();
  int n = 0;
  RunProbeContract([&] { return std::make_unique<RealGround>(base.Path(), ++n); });
}

TEST(Win32ProbeSystem, EnvironmentValue) {
  Win32ProbeSystem system;
  const std::string longValue(1000, 'x');  // longer than a first guess of MAX_PATH
  ASSERT_TRUE(SetEnvironmentVariableA("VIEWERPROBE_TEST_VALUE", longValue.c_str()));
  EXPECT_EQ(system.EnvironmentValue("VIEWERPROBE_TEST_VALUE"), longValue);
  // Names are case-insensitive, as on Windows.
  EXPECT_EQ(system.EnvironmentValue("viewerprobe_test_value"), longValue);
  ASSERT_TRUE(SetEnvironmentVariableA("VIEWERPROBE_TEST_VALUE", nullptr));
  EXPECT_EQ(system.EnvironmentValue("VIEWERPROBE_TEST_VALUE"), "");
}

}  // namespace
}  // namespace viewerprobe
