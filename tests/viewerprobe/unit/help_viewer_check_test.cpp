// The help-viewer decision and the notice text, over a fake system.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "HelpViewerCheck.h"

namespace viewerprobe {
namespace {

constexpr const char* kViewer = "C:\\Windows\\Winhlp32.exe";

class HelpViewerCheck : public ::testing::Test {
 protected:
  HelpViewerCheck() { system.environment["WinDir"] = "C:\\Windows"; }
  FakeSystem system;
};

TEST_F(HelpViewerCheck, ViewerCountsAsPresentOnlyAbove40000Bytes) {
  system.files[kViewer] = 40000;
  EXPECT_TRUE(HelpViewerNoticeNeeded(system));

  system.files[kViewer] = 0;
  EXPECT_TRUE(HelpViewerNoticeNeeded(system));

  system.versionQueries = 0;
  system.files[kViewer] = 40001;
  EXPECT_FALSE(HelpViewerNoticeNeeded(system));
  EXPECT_EQ(system.versionQueries, 0) << "the version is only asked for a missing viewer";
}

TEST_F(HelpViewerCheck, ViewerLargerThan4GiBIsPresent) {
  // Neither wrapped to a small nor to a negative size.
  system.files[kViewer] = 0x100000000LL + 100;
  EXPECT_FALSE(HelpViewerNoticeNeeded(system));
  system.files[kViewer] = 0x80000000LL + 100;
  EXPECT_FALSE(HelpViewerNoticeNeeded(system));
}

TEST_F(HelpViewerCheck, NoFileOrADirectoryCountAsMissing) {
  EXPECT_TRUE(HelpViewerNoticeNeeded(system));
  EXPECT_EQ(system.examined, std::vector<std::string>{kViewer});

  system.directories = {kViewer};
  EXPECT_TRUE(HelpViewerNoticeNeeded(system));
}

TEST_F(HelpViewerCheck, ProbePathIsWinDirFollowedByTheViewerName) {
  EXPECT_EQ(ProbePath(system), kViewer);

  // No separator is added or removed.
  system.environment["WinDir"] = "C:\\Windows\\";
  EXPECT_EQ(ProbePath(system), "C:\\Windows\\\\Winhlp32.exe");

  system.environment.clear();
  EXPECT_EQ(ProbePath(system), "\\Winhlp32.exe");
  system.files["\\Winhlp32.exe"] = 40001;
  EXPECT_FALSE(HelpViewerNoticeNeeded(system));
  EXPECT_EQ(system.examined.back(), "\\Winhlp32.exe");
}

struct VersionCase {
  std::uint32_t major, minor, platform;
  bool notice;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
  *os << c.major << "." << c.minor << " platform " << c.platform;
}

class NoticeByVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(NoticeByVersion, OnlyNt62GetsTheNotice) {
  const VersionCase c = GetParam();
  FakeSystem system;
  system.environment["WinDir"] = "C:\\Windows";
  system.version = WindowsVersion{c.major, c.minor, c.platform};
  EXPECT_EQ(HelpViewerNoticeNeeded(system), c.notice);
  EXPECT_EQ(system.versionQueries, 1);
}

INSTANTIATE_TEST_SUITE_P(Versions, NoticeByVersion,
                         ::testing::Values(VersionCase{6, 2, 2, true}, VersionCase{6, 0, 2, false},
                                           VersionCase{6, 1, 2, false}, VersionCase{6, 3, 2, false},
                                           VersionCase{5, 1, 2, false},
                                           VersionCase{10, 0, 2, false},
                                           VersionCase{6, 2, 1, false},
                                           VersionCase{6, 2, 0, false}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                           const VersionCase& c = info.param;
                           return "Nt" + std::to_string(c.major) + "_" + std::to_string(c.minor) +
                                  "_Platform" + std::to_string(c.platform);
                         });

TEST(OsGetVersion, FailingQueryNeverGivesTheNotice) {
  FakeSystem system;
  system.version.reset();
  bool isNt62 = true;  // whatever it held before
  EXPECT_FALSE(fkt_OsGetVersion(system, isNt62));
  EXPECT_FALSE(isNt62);
  EXPECT_FALSE(HelpViewerNoticeNeeded(system));
}

TEST(Notice, TextIsNineLinesJoinedByCrLf) {
  const std::string address = "https://support.microsoft.com/kb/917607";
  const std::string expected =
      "Auf diesem System ist noch keine Software zum Darstellen der Quorlen Hilfedateien "
      "installiert.\r\n"
      "Zum Zeitpunkt dieses Softwarereleases wurde dieses Betriebssystem noch nicht "
      "unterst\xFC"
      "tzt.\r\n"
      "Um das notwendige Update (Microsoft WinHlp32.exe) zu installieren besuchen Sie bitte "
      "folgende Site:\r\n" +
      address +
      "\r\n"
      "\r\n"
      "On this system there is still not installed any software to represent Quorlen help "
      "files.\r\n"
      "At the date of this software release, this operating system was not yet supported.\r\n"
      "To install the required update (Microsoft WinHlp32.exe) please visit the following "
      "site:\r\n" +
      address;
  const std::string text = NoticeText();
  EXPECT_EQ(text, expected);
  // One empty line, no bare CR or LF, no line break at the end.
  std::size_t empty = 0, pos = 0;
  while ((pos = text.find("\r\n\r\n", pos)) != std::string::npos) ++empty, pos += 2;
  EXPECT_EQ(empty, 1u);
  std::string rest = text;
  for (std::size_t p; (p = rest.find("\r\n")) != std::string::npos;) rest.erase(p, 2);
  EXPECT_EQ(rest.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(text.back(), '\n');
}

TEST(Notice, CaptionCarriesBothLanguages) {
  EXPECT_EQ(NoticeCaption(),
            "Hilfeviewer MS WinHlp32 installieren | Install help viewer MS WinHlp32");
}

}  // namespace
}  // namespace viewerprobe
