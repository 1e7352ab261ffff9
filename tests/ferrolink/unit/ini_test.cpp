#include "Ini.h"

#include <gtest/gtest.h>

using ferrolink::IniFile;
using ferrolink::ParseIniInteger;

TEST(IniRead, SectionsKeysAndLineEndings) {
  const IniFile ini = IniFile::Parse(
      "Before=dropped\r\n[Directories]\r\nDatafiles=C:\\Daten\rOther=1\n; Datafiles=comment\n\n"
      "[General]\nTarget=\\\\srv\\share\\x");
  EXPECT_EQ(ini.ReadString("Directories", "Datafiles", "-"), "C:\\Daten");
  EXPECT_EQ(ini.ReadString("directories", "OTHER", "-"), "1");
  EXPECT_EQ(ini.ReadString("General", "Target", "-"), "\\\\srv\\share\\x");  // no final line end
  EXPECT_EQ(ini.ReadString("General", "Before", "-"), "-");
  EXPECT_EQ(ini.ReadString("Missing", "Target", "-"), "-");
}

TEST(IniRead, NothingIsTrimmedAndFirstKeyWins) {
  const IniFile ini = IniFile::Parse(
      "[General]\r\nTarget = spaced\r\nTarget=first\r\nTARGET=second\r\nEmpty=\r\n"
      " [Indented]\r\nx=y\r\n[Sec] \r\nz=1\r\n");
  EXPECT_EQ(ini.ReadString("General", "Target ", "-"), " spaced");
  EXPECT_EQ(ini.ReadString("General", "Target", "-"), "first");
  EXPECT_EQ(ini.ReadString("General", "Empty", "-"), "");
  // Neither " [Indented]" nor "[Sec] " is a section line: their lines
  // belong to General.
  EXPECT_EQ(ini.ReadString("General", "x", "-"), "y");
  EXPECT_EQ(ini.ReadString("General", "z", "-"), "1");
  EXPECT_EQ(ini.ReadString("Indented", "x", "-"), "-");
}

TEST(IniRead, Booleans) {
  auto delete_of = [](const std::string& value, bool fallback) {
    return IniFile::Parse("[General]\r\nDelete=" + value + "\r\n")
        .ReadBool("General", "Delete", fallback);
  };
  EXPECT_TRUE(delete_of("1", false));
  EXPECT_FALSE(delete_of("0", true));
  EXPECT_TRUE(delete_of("$1", false));
  EXPECT_TRUE(delete_of("0x1", false));
  EXPECT_TRUE(delete_of("0X1", false));
  EXPECT_FALSE(delete_of("$0", true));
  EXPECT_TRUE(delete_of("-1", false));
  EXPECT_FALSE(delete_of("ja", false));  // a word is no number: the default
  EXPECT_TRUE(delete_of("ja", true));
  EXPECT_FALSE(delete_of("", false));
  EXPECT_FALSE(delete_of("1 ", false));
  EXPECT_TRUE(IniFile::Parse("[general]\r\ndelete=1\r\n").ReadBool("General", "Delete", false));
}

TEST(IniRead, IntegerConversion) {
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483648LL);
  EXPECT_FALSE(ParseIniInteger("2147483648"));
  EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
  EXPECT_FALSE(ParseIniInteger("$100000000"));
  EXPECT_EQ(ParseIniInteger("$aB"), 0xAB);
  EXPECT_FALSE(ParseIniInteger("$"));
  EXPECT_FALSE(ParseIniInteger("-"));
  EXPECT_FALSE(ParseIniInteger("12a"));
  EXPECT_EQ(ParseIniInteger("  7"), 7);
}

TEST(IniWrite, InPlaceAppendAndWholeRewrite) {
  IniFile ini = IniFile::Parse(
      "; comment\r\n[General]\r\n; inner comment\r\ndelete=0\r\nOther=x\r\n\r\n[More]\r\na=b\r\n");
  ini.WriteString("General", "Delete", "1");  // replaces its line, in the key's given spelling
  ini.WriteString("General", "Target", "C:");
  ini.WriteString("New", "k", "v");
  EXPECT_EQ(ini.Serialize(),
            "[General]\r\nDelete=1\r\nOther=x\r\nTarget=C:\r\n\r\n"
            "[More]\r\na=b\r\n\r\n"
            "[New]\r\nk=v\r\n\r\n");
  EXPECT_EQ(IniFile::Parse("").Serialize(), "");
}

TEST(IniWrite, RoundTripKeepsLinesWithoutEquals) {
  const std::string text = "[S]\r\nplain line\r\nk==v\r\n\r\n";
  const IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.Serialize(), text);
  EXPECT_EQ(ini.ReadString("S", "k", "-"), "=v");
  // A line without "=" has no key: it neither gives a value nor hides a later line.
  EXPECT_EQ(ini.ReadString("S", "plain line", "-"), "-");
  IniFile bare = IniFile::Parse("[General]\r\nTarget\r\nTarget=E:\\Ziel\r\n");
  EXPECT_EQ(bare.ReadString("General", "Target", "-"), "E:\\Ziel");
  bare.WriteString("General", "Target", "F:");
  EXPECT_EQ(bare.Serialize(), "[General]\r\nTarget\r\nTarget=F:\r\n\r\n");
}
