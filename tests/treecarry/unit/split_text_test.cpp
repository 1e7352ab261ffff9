#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modMain.h"

using treecarry::SplitText;
using Pieces = std::vector<std::string>;

TEST(SplitText, EmptyTextOrLimitZeroGivesNoPieces) {
  EXPECT_EQ(SplitText("", ";", -1, 0), Pieces{});
  EXPECT_EQ(SplitText("", "", -1, 0), Pieces{});
  EXPECT_EQ(SplitText("a;b", ";", 0, 0), Pieces{});
}

TEST(SplitText, EmptyDelimiterGivesTheWholeText) {
  EXPECT_EQ(SplitText("a;b", "", -1, 0), Pieces{"a;b"});
  EXPECT_EQ(SplitText("a;b", "", 3, 0), Pieces{"a;b"});
}

TEST(SplitText, KeepsEmptyPiecesAndTheTrailingOne) {
  EXPECT_EQ(SplitText("a;b;c", ";", -1, 0), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a;;b", ";", -1, 0), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitText("a;b;", ";", -1, 0), (Pieces{"a", "b", ""}));
  EXPECT_EQ(SplitText(";", ";", -1, 0), (Pieces{"", ""}));
  EXPECT_EQ(SplitText(";;;", ";", -1, 0), (Pieces{"", "", "", ""}));
  EXPECT_EQ(SplitText("abc", ";", -1, 0), Pieces{"abc"});
}

TEST(SplitText, PositiveLimitLeavesTheRestUnsplit) {
  EXPECT_EQ(SplitText("a;b;c;d", ";", 1, 0), Pieces{"a;b;c;d"});
  EXPECT_EQ(SplitText("a;b;c;d", ";", 2, 0), (Pieces{"a", "b;c;d"}));
  EXPECT_EQ(SplitText("a;b;c;d", ";", 4, 0), (Pieces{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitText("a;b;c;d", ";", 100, 0), (Pieces{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitText("a;b;", ";", 3, 0), (Pieces{"a", "b", ""}));
  // Any negative limit means no limit.
  EXPECT_EQ(SplitText("a;b;c", ";", -7, 0), (Pieces{"a", "b", "c"}));
}

TEST(SplitText, LongerDelimitersDoNotOverlap) {
  EXPECT_EQ(SplitText("a<>b<>c", "<>", -1, 0), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitText("aaa", "aa", -1, 0), (Pieces{"", "a"}));
  EXPECT_EQ(SplitText("a<b>c", "<>", -1, 0), Pieces{"a<b>c"});
}

TEST(SplitText, CompareModeZeroIsExactOtherModesIgnoreCase) {
  EXPECT_EQ(SplitText("aXbxc", "x", -1, 0), (Pieces{"aXb", "c"}));
  EXPECT_EQ(SplitText("aXbxc", "x", -1, 1), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitText("M\xC4M\xE4M", "\xE4", -1, 1), (Pieces{"M", "M", "M"}));
  EXPECT_EQ(SplitText("1\xD7"
                      "2\xF7"
                      "3",
                      "\xD7", -1, 1),
            (Pieces{"1",
                    "2\xF7"
                    "3"}));
}

TEST(SplitText, GrowsBeyondThousandsOfPieces) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i) + ";";
  const Pieces pieces = SplitText(text, ";", -1, 0);
  ASSERT_EQ(pieces.size(), 5001u);
  EXPECT_EQ(pieces[0], "0");
  EXPECT_EQ(pieces[1024], "1024");
  EXPECT_EQ(pieces[2048], "2048");
  EXPECT_EQ(pieces[4999], "4999");
  EXPECT_EQ(pieces[5000], "");
}
