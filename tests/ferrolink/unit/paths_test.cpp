#include "Paths.h"

#include <gtest/gtest.h>

#include "FakeSystem.h"

using ferrolink::ExpandToUnc;
using ferrolink::ShortenPath;
using ferrolink::SplitDirectory;
using ferrolink::SplitPath;
using ferrolink::test::FakeSystem;

namespace {

std::string Joined(const ferrolink::SplitResult& r) {
  return r.Root + "|" + r.Directories + "|" + r.Name;
}

}  // namespace

TEST(Split, DirectoryForms) {
  EXPECT_EQ(Joined(SplitDirectory("c:\\Daten\\Sub")), "C:\\|Daten\\Sub\\|");
  EXPECT_EQ(Joined(SplitDirectory("C:")), "C:\\||");
  EXPECT_EQ(Joined(SplitDirectory("C:\\")), "C:\\||");
  EXPECT_EQ(Joined(SplitDirectory("\\\\server\\share\\a\\b\\")), "\\\\server\\share\\|a\\b\\|");
  EXPECT_EQ(Joined(SplitDirectory("\\\\server\\share")), "\\\\server\\share\\||");
  EXPECT_EQ(Joined(SplitDirectory("\\\\server")), "\\\\server\\||");
  EXPECT_EQ(Joined(SplitDirectory("relative\\dir")), "||");
  EXPECT_EQ(Joined(SplitDirectory("")), "||");
}

TEST(Split, PathForms) {
  FakeSystem p;
  p.current_dir = "D:\\Work\\";
  EXPECT_EQ(Joined(SplitPath(p, "c:\\a\\b\\name.txt")), "C:\\|a\\b\\|name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "c:name.txt")), "C:\\||name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "name.txt")), "D:\\|Work\\|name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "\\\\srv\\sh\\d\\")), "\\\\srv\\sh\\|d\\|");
}

TEST(Shorten, FitsOrLosesOuterDirectoriesFirst) {
  FakeSystem p;                                                   // 7 pixels per character
  const std::string fits = "c:\\" + std::string(40, 'a') + "\\";  // 44 characters: 308 px
  EXPECT_EQ(ShortenPath(p, fits, 308), "C:\\" + std::string(40, 'a') + "\\");  // exactly W fits
  EXPECT_EQ(ShortenPath(p, fits, 307), "C:\\...\\");

  const std::string long_path = "C:\\outer\\middle\\inner\\";
  EXPECT_EQ(ShortenPath(p, long_path, 1000), long_path);
  EXPECT_EQ(ShortenPath(p, long_path, 7 * 20), "C:\\...\\middle\\inner\\");
  EXPECT_EQ(ShortenPath(p, long_path, 7 * 19), "C:\\...\\inner\\");
  EXPECT_EQ(ShortenPath(p, long_path, 7 * 13), "C:\\...\\inner\\");
  EXPECT_EQ(ShortenPath(p, long_path, 7 * 12), "C:\\...\\");
  EXPECT_EQ(ShortenPath(p, long_path, 1), "C:\\...\\");
  // Root and name are never cut, even when they alone are too wide.
  EXPECT_EQ(ShortenPath(p, "\\\\server\\share\\a\\b\\file.dat", 10),
            "\\\\server\\share\\...\\file.dat");
}

TEST(ExpandToUnc, NetworkDrivesAndOtherPaths) {
  FakeSystem p;
  p.current_dir = "C:\\Work\\";
  p.unc_by_drive["Q"] = "\\\\server\\share";
  EXPECT_EQ(ExpandToUnc(p, "q:\\Daten\\"), "\\\\server\\share\\Daten\\");
  EXPECT_EQ(ExpandToUnc(p, "C:\\Daten\\"), "C:\\Daten\\");
  EXPECT_EQ(ExpandToUnc(p, "sub/dir\\"), "C:\\Work\\sub\\dir\\");
  EXPECT_EQ(ExpandToUnc(p, "\\\\other\\s\\x"), "\\\\other\\s\\x");
  EXPECT_EQ(ExpandToUnc(p, ""), "");

  p.win9x = true;  // the look-up among the connected disk resources
  EXPECT_EQ(ExpandToUnc(p, "q:\\Daten\\"), "\\\\server\\share\\Daten\\");
  EXPECT_EQ(ExpandToUnc(p, "C:\\Daten\\"), "C:\\Daten\\");
}
