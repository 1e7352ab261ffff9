// What the help-viewer check relies on from its ProbeSystem, written once as
// tables (the files or system before the call, the call, the answer) and run
// twice: natively against FakeSystem, and under Wine against
// Win32ProbeSystem on real files in a scratch folder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProbeSystem.h"

namespace viewerprobe {

// The files and the system before a call: in the fake's memory, or real.
class ProbeGround {
 public:
  virtual ~ProbeGround() = default;
  virtual ProbeSystem& Sys() = 0;
  // Full path of name in the scratch folder.
  virtual std::string Path(const std::string& name) = 0;
  virtual void File(const std::string& name, std::int64_t size) = 0;
  virtual void Folder(const std::string& name) = 0;
  // Another program holds the file open, sharing nothing.
  virtual void HoldExclusively(const std::string& name) = 0;
  // The system reports itself as Windows 7, as a fresh Wine prefix does.
  virtual void Windows7() = 0;
};

// FileSize of the viewer's file, with what stands under its name before.
enum class Viewer { Nothing, Folder, File, HeldFile };

struct FileSizeCase {
  const char* what;
  Viewer before;
  std::int64_t size;  // of the file made
  std::int64_t answer;
};

inline const std::vector<FileSizeCase>& FileSizeCases() {
  static const std::vector<FileSizeCase> cases = {
      {"nothing", Viewer::Nothing, 0, 0},
      {"a folder", Viewer::Folder, 0, 0},
      {"an empty file", Viewer::File, 0, 0},
      {"a file just above the threshold", Viewer::File, 40001, 40001},
      {"a file another program holds exclusively", Viewer::HeldFile, 40001, 40001},
      // Both halves of the size count, and neither wraps it to a small or a
      // negative number.
      {"a file beyond 4 GiB", Viewer::File, 0x100000000LL + 100, 0x100000000LL + 100},
  };
  return cases;
}

// Version of a Windows 7 system. Windows 8 and later report 6.2 to a program
// without a compatibility manifest, as Wine does from "win8" on; the end-to-end
// runs show that under Wine, since a program's version is fixed at its start.
inline constexpr WindowsVersion kWindows7{6, 1, kPlatformWin32Nt};

inline void RunProbeContract(const std::function<std::unique_ptr<ProbeGround>()>& ground) {
  for (const FileSizeCase& c : FileSizeCases()) {
    SCOPED_TRACE(std::string("FileSize: ") + c.what);
    const auto g = ground();
    if (c.before == Viewer::Folder) g->Folder("Winhlp32.exe");
    if (c.before == Viewer::File || c.before == Viewer::HeldFile) g->File("Winhlp32.exe", c.size);
    if (c.before == Viewer::HeldFile) g->HoldExclusively("Winhlp32.exe");
    EXPECT_EQ(g->Sys().FileSize(g->Path("Winhlp32.exe")), c.answer);
  }
  SCOPED_TRACE("Version: Windows 7");
  const auto g = ground();
  g->Windows7();
  const std::optional<WindowsVersion> version = g->Sys().Version();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->major, kWindows7.major);
  EXPECT_EQ(version->minor, kWindows7.minor);
  EXPECT_EQ(version->platform, kWindows7.platform);
}

}  // namespace viewerprobe
