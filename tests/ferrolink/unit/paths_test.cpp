#include "Paths.h"

#include <gtest/gtest.h>

#include <string>

#include "FakeNames.h"

using namespace ferrolink;
using ferrolink::test::FakeNames;

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
  FakeNames p;
  p.current_dir = "D:\\Work\\";
  EXPECT_EQ(Joined(SplitPath(p, "c:\\a\\b\\name.txt")), "C:\\|a\\b\\|name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "c:name.txt")), "C:\\||name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "name.txt")), "D:\\|Work\\|name.txt");
  EXPECT_EQ(Joined(SplitPath(p, "\\\\srv\\sh\\d\\")), "\\\\srv\\sh\\|d\\|");
}

TEST(Shorten, FitsOrLosesOuterDirectoriesFirst) {
  FakeNames p;                                                    // 7 pixels per character
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
  FakeNames p;
  p.current_dir = "C:\\Work\\";
  p.unc_by_drive["Q"] = "\\\\server\\share";
  EXPECT_EQ(ExpandToUnc(p, "q:\\Daten\\"), "\\\\server\\share\\Daten\\");
  EXPECT_EQ(ExpandToUnc(p, "C:\\Daten\\"), "C:\\Daten\\");
  EXPECT_EQ(ExpandToUnc(p, "sub/dir\\"), "C:\\Work\\sub\\dir\\");
  EXPECT_EQ(ExpandToUnc(p, "\\\\other\\s\\x"), "\\\\other\\s\\x");
  EXPECT_EQ(ExpandToUnc(p, ""), "");
}

TEST(RelativePath, FollowsTheRootAndNameRules) {
  FakeNames p;
  EXPECT_EQ(RootPart("C:\\Daten\\x"), "C:");
  EXPECT_EQ(RootPart("\\\\srv\\share\\Daten\\x"), "\\\\srv\\share");
  EXPECT_EQ(RootPart("\\\\srv"), "\\\\srv");
  EXPECT_EQ(RootPart("Daten\\x"), "");

  EXPECT_EQ(RelativePath(p, "C:\\Daten\\", "C:\\Daten\\sub\\name.ext"), "sub\\name.ext");
  EXPECT_EQ(RelativePath(p, "C:\\Daten\\", "C:\\Daten\\name.ext"), "name.ext");
  EXPECT_EQ(RelativePath(p, "C:\\DATEN\\", "c:\\daten\\Sub\\X.dat"), "Sub\\X.dat");
  EXPECT_EQ(RelativePath(p, "C:\\MÄRZ\\", "C:\\märz\\x"), "x");
  // Every letter the system folds, not only those of the code page.
  EXPECT_EQ(RelativePath(p, "C:\\DÍL ŘADA 7\\", "C:\\Díl Řada 7\\měření_ř.dfq"), "měření_ř.dfq");
  EXPECT_EQ(RelativePath(p, "C:\\ДАННЫЕ\\ΜΕΤΡΑ\\", "C:\\данные\\μετρα\\x"), "x");
  EXPECT_EQ(RelativePath(p, "C:\\部品\\", "C:\\部品\\a\\部品_01.dfq"), "a\\部品_01.dfq");
  EXPECT_EQ(RelativePath(p, "C:\\Díl\\", "C:\\Dil\\x"), "..\\Dil\\x");
  EXPECT_EQ(RelativePath(p, "C:\\Daten\\", "D:\\Daten\\x"), "D:\\Daten\\x");
  EXPECT_EQ(RelativePath(p, "\\\\srv\\share\\Daten\\", "\\\\SRV\\Share\\Daten\\a\\x"), "a\\x");
  EXPECT_EQ(RelativePath(p, "\\\\srv\\share\\Daten\\", "\\\\srv\\other\\Daten\\x"),
            "\\\\srv\\other\\Daten\\x");
  EXPECT_EQ(RelativePath(p, "C:\\Daten\\A\\", "C:\\Daten\\B\\x"), "..\\B\\x");
  EXPECT_EQ(RelativePath(p, "C:\\Daten\\.\\Sub\\..\\", "C:\\Daten\\x"), "..\\..\\..\\x");
  EXPECT_EQ(RelativePath(p, "Daten\\", "Daten\\x"), "x");
}

TEST(StaysBelow, AcceptsOnlyPlainNamesBelowTheDirectory) {
  for (const char* ok : {"x", "a\\b\\x.dat", "...x", "a.b\\c"}) EXPECT_TRUE(StaysBelow(ok)) << ok;
  for (const char* bad : {"", "..\\x", "a\\..\\x", "\\x", "C:\\x", "x:strom", "a\\\\x", "a/x",
                          ".\\x", "a\\", "..", ". .\\x", "a\\.."}) {
    EXPECT_FALSE(StaysBelow(bad)) << bad;
  }
}

TEST(LexicalDirectory, GivesOneNormalForm) {
  EXPECT_EQ(LexicalDirectory("C:\\a\\.\\b\\..\\c"), "C:\\a\\c\\");
  EXPECT_EQ(LexicalDirectory("C:/a//b/"), "C:\\a\\b\\");
  EXPECT_EQ(LexicalDirectory("C:\\..\\..\\x\\"), "C:\\x\\");
  EXPECT_EQ(LexicalDirectory("C:"), "C:\\");
  EXPECT_EQ(LexicalDirectory("\\\\srv\\share\\..\\x"), "\\\\srv\\share\\x\\");
  EXPECT_EQ(LexicalDirectory("//srv//share/x"), "\\\\srv\\share\\x\\");
  for (const char* none :
       {"", "\\\\srv", "\\\\srv\\.\\x", "relative\\x", "\\x", "C:x", "\\\\?\\C:\\x"}) {
    EXPECT_EQ(LexicalDirectory(none), "") << none;
  }
  FakeNames p;
  p.current_dir = "C:\\Work\\";
  EXPECT_EQ(NormalDirectory(p, "in\\..\\out\\"), "C:\\Work\\out\\");
  EXPECT_EQ(NormalDirectory(p, ""), "");
}

TEST(KeepsItsNames, RefusesNamesWindowsWouldChange) {
  for (const char* ok : {"m.dat", "Sub\\m.dat", "COM10.dat", "CONSOLE.dat", "LPT0", "nul_x.txt",
                         ".profil", "a.b.c"}) {
    EXPECT_TRUE(KeepsItsNames(ok)) << ok;
  }
  for (const char* bad : {"m.dat.", "m.dat ", "Sub.\\m.dat", "Sub \\m.dat", "CON", "con.txt",
                          "Nul.Messung.dfq", "AUX", "prn.x", "COM1.dfq", "lpt9", "COM1 .dat",
                          "Teil\\NUL\\m.dat", "Änderung\\LPT3.log"}) {
    EXPECT_FALSE(KeepsItsNames(bad)) << bad;
  }
}

TEST(TemporaryName, LiesBesideTheFileWithAnotherExtension) {
  FakeNames p;
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel\\m.dfq"), "D:\\Ziel\\m.dfq.~ft");
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel\\ohne"), "D:\\Ziel\\ohne.~ft");
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel\\x.~FT"), "D:\\Ziel\\x.~FT.~fu");
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel.~ft\\x"), "D:\\Ziel.~ft\\x.~ft");
  p.process_tag = "1a2c";  // the process's own mark
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel\\m.dfq"), "D:\\Ziel\\m.dfq.~ft1a2c");
  EXPECT_EQ(TemporaryName(p, "D:\\Ziel\\m.dfq.~ft1A2C"), "D:\\Ziel\\m.dfq.~ft1A2C.~fu1a2c");
  EXPECT_EQ(TemporaryName(p, "D:\\Z\\" + std::string(252, 'n')),
            "D:\\Z\\" + std::string(247, 'n') + ".~ft1a2c");
  p.process_tag.clear();
  // Where the final name fits Windows' limits and the extension would not,
  // the name's end gives way: 255 units a name (a character of two units
  // goes whole), 32767 a long path.
  const std::string u = "\xC3\xBC";             // one unit, two bytes
  const std::string clef = "\xF0\x9D\x84\x9E";  // two units
  // A folder whose long form leaves room for a name of 20 units.
  std::string deep = "D:\\";
  while (deep.size() + 200 < 32743) deep += std::string(199, 'd') + "\\";
  deep += std::string(32743 - deep.size() - 1, 'e') + "\\";
  const struct {
    std::string file, temporary;
  } cut[] = {
      {"D:\\Z\\" + std::string(251, 'n'), "D:\\Z\\" + std::string(251, 'n') + ".~ft"},
      {"D:\\Z\\" + std::string(252, 'n'), "D:\\Z\\" + std::string(251, 'n') + ".~ft"},
      {"D:\\Z\\" + std::string(250, 'n') + ".~ft", "D:\\Z\\" + std::string(250, 'n') + "..~fu"},
      {"D:\\Z\\" + std::string(127, 'n') +
           [&] {
             std::string s;
             for (int i = 0; i < 128; ++i) s += u;
             return s;
           }(),
       "D:\\Z\\" + std::string(127, 'n') +
           [&] {
             std::string s;
             for (int i = 0; i < 124; ++i) s += u;
             return s;
           }() +
           ".~ft"},
      {"D:\\Z\\" + std::string(250, 'n') + clef + "x", "D:\\Z\\" + std::string(250, 'n') + ".~ft"},
      {deep + std::string(20, 'n'), deep + std::string(16, 'n') + ".~ft"},
      {deep + std::string(15, 'n'), deep + std::string(15, 'n') + ".~ft"},
  };
  for (const auto& c : cut) {
    EXPECT_EQ(TemporaryName(p, c.file), c.temporary) << c.file.size();
  }
}

TEST(SystemPath, HandsFullNormalPathsInTheirLongForm) {
  const std::pair<const char*, const char*> forms[] = {
      {"C:\\Daten\\m.dat", "\\\\?\\C:\\Daten\\m.dat"},
      {"d:\\Ziel\\", "\\\\?\\d:\\Ziel\\"},
      {"C:\\", "\\\\?\\C:\\"},
      {"C:\\Daten\\*.*", "\\\\?\\C:\\Daten\\*.*"},
      {"C:\\a.\\m.dat ", "\\\\?\\C:\\a.\\m.dat "},  // the names as listed, not trimmed
      {"\\\\srv\\ablage\\m.dat", "\\\\?\\UNC\\srv\\ablage\\m.dat"},
      {"\\\\srv\\ablage", "\\\\?\\UNC\\srv\\ablage"},
      // Handed on as they are: the long form would take these literally.
      {"\\\\?\\C:\\x", "\\\\?\\C:\\x"},
      {"\\\\.\\pipe\\x", "\\\\.\\pipe\\x"},
      {"C:\\a\\..\\m.dat", "C:\\a\\..\\m.dat"},
      {"C:\\a\\.\\m.dat", "C:\\a\\.\\m.dat"},
      {"C:\\a\\\\m.dat", "C:\\a\\\\m.dat"},
      {"C:/a/m.dat", "C:/a/m.dat"},
      {"C:m.dat", "C:m.dat"},
      {"Daten\\m.dat", "Daten\\m.dat"},
      {"\\Daten\\m.dat", "\\Daten\\m.dat"},
      {"\\\\srv", "\\\\srv"},
      {"\\\\srv\\..\\x", "\\\\srv\\..\\x"},
      {"", ""},
  };
  for (const auto& [plain, handed] : forms) EXPECT_EQ(SystemPath(plain), handed) << plain;
}
