// The path rules of a transfer: root parts, relative paths, the test that a
// relative path stays below its directory, normal forms, directory creation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeSystem.h"
#include "Paths.h"
#include "Transfer.h"

using namespace ferrolink;
using ferrolink::test::FakeSystem;

TEST(RelativePath, FollowsTheRootAndNameRules) {
  EXPECT_EQ(RootPart("C:\\Daten\\x"), "C:");
  EXPECT_EQ(RootPart("\\\\srv\\share\\Daten\\x"), "\\\\srv\\share");
  EXPECT_EQ(RootPart("\\\\srv"), "\\\\srv");
  EXPECT_EQ(RootPart("Daten\\x"), "");

  EXPECT_EQ(RelativePath("C:\\Daten\\", "C:\\Daten\\sub\\name.ext"), "sub\\name.ext");
  EXPECT_EQ(RelativePath("C:\\Daten\\", "C:\\Daten\\name.ext"), "name.ext");
  EXPECT_EQ(RelativePath("C:\\DATEN\\", "c:\\daten\\Sub\\X.dat"), "Sub\\X.dat");
  EXPECT_EQ(RelativePath("C:\\M\xC4RZ\\", "C:\\m\xE4rz\\x"), "x");
  EXPECT_EQ(RelativePath("C:\\Daten\\", "D:\\Daten\\x"), "D:\\Daten\\x");
  EXPECT_EQ(RelativePath("\\\\srv\\share\\Daten\\", "\\\\SRV\\Share\\Daten\\a\\x"), "a\\x");
  EXPECT_EQ(RelativePath("\\\\srv\\share\\Daten\\", "\\\\srv\\other\\Daten\\x"),
            "\\\\srv\\other\\Daten\\x");
  EXPECT_EQ(RelativePath("C:\\Daten\\A\\", "C:\\Daten\\B\\x"), "..\\B\\x");
  EXPECT_EQ(RelativePath("C:\\Daten\\.\\Sub\\..\\", "C:\\Daten\\x"), "..\\..\\..\\x");
  EXPECT_EQ(RelativePath("Daten\\", "Daten\\x"), "x");
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
  FakeSystem p;
  p.current_dir = "C:\\Work\\";
  EXPECT_EQ(NormalDirectory(p, "in\\..\\out\\"), "C:\\Work\\out\\");
  EXPECT_EQ(NormalDirectory(p, ""), "");
}

TEST(CreateDirectoryPath, CreatesMissingLevelsOutermostFirst) {
  FakeSystem p;
  p.AddDir("D:\\Ziel");
  EXPECT_TRUE(CreateDirectoryPath(p, "D:\\Ziel\\a\\b\\"));
  EXPECT_EQ(p.created_dirs, (std::vector<std::string>{"D:\\Ziel\\a", "D:\\Ziel\\a\\b"}));
  EXPECT_TRUE(CreateDirectoryPath(p, "D:\\Ziel\\a\\b\\"));
  EXPECT_EQ(p.created_dirs.size(), 2u);
  EXPECT_TRUE(CreateDirectoryPath(p, "D:\\"));  // a drive root counts as done

  p.AddDir("\\\\srv\\share\\Ziel");
  EXPECT_TRUE(CreateDirectoryPath(p, "\\\\srv\\share\\Ziel\\n\\"));
  EXPECT_EQ(p.created_dirs.back(), "\\\\srv\\share\\Ziel\\n");

  p.unwritable_dirs.insert(FakeSystem::Key("D:\\Ziel"));
  EXPECT_FALSE(CreateDirectoryPath(p, "D:\\Ziel\\c\\d\\"));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\c"));
}

TEST(KeepsItsNames, RefusesNamesWindowsWouldChange) {
  for (const char* ok : {"m.dat", "Sub\\m.dat", "COM10.dat", "CONSOLE.dat", "LPT0", "nul_x.txt",
                         ".profil", "a.b.c"}) {
    EXPECT_TRUE(KeepsItsNames(ok)) << ok;
  }
  for (const char* bad : {"m.dat.", "m.dat ", "Sub.\\m.dat", "Sub \\m.dat", "CON", "con.txt",
                          "Nul.Messung.dfq", "AUX", "prn.x", "COM1.dfq", "lpt9", "COM1 .dat",
                          "Teil\\NUL\\m.dat", "\xC4nderung\\LPT3.log"}) {
    EXPECT_FALSE(KeepsItsNames(bad)) << bad;
  }
}

TEST(TemporaryName, LiesBesideTheFileWithAnotherExtension) {
  EXPECT_EQ(TemporaryName("D:\\Ziel\\m.dfq"), "D:\\Ziel\\m.dfq.~ft");
  EXPECT_EQ(TemporaryName("D:\\Ziel\\ohne"), "D:\\Ziel\\ohne.~ft");
  EXPECT_EQ(TemporaryName("D:\\Ziel\\x.~FT"), "D:\\Ziel\\x.~FT.~fu");
  EXPECT_EQ(TemporaryName("D:\\Ziel.~ft\\x"), "D:\\Ziel.~ft\\x.~ft");
}
