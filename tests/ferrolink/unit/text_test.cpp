// Settings sections and keys compare without regard to case in code page
// 1252; the logic's UTF-8 text converts to the system's UTF-16 and back.
#include "Text.h"

#include <gtest/gtest.h>

#include "Utf.h"

TEST(SameText, FoldsOnlyTheLettersOfCodePage1252) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Daten", "DATEN", true},
      {"M\xE4rz", "M\xC4RZ", true},                    // a umlaut
      {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},  // capitals below 0xA0
      {"\xF7", "\xD7", false},                         // the division and multiplication signs
      {"[", "{", false},                               // 32 apart, but no letters
      {"Daten", "Date", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ferrolink::SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

// A name comes back from the logic exactly as the file system listed it,
// also one with an unpaired surrogate, which no valid UTF-8 can spell.
TEST(Utf, NamesTravelThroughTheLogicUnchanged) {
  const std::u16string names[] = {
      u"m\u011B\u0159en\u00ED_\u0159.dfq", u"\u90E8\u54C1_01.dfq",    u"\U0001F4CF.dfq",
      std::u16string(1, 0xD800) + u"x",    std::u16string(1, 0xDC00), u""};
  for (const std::u16string& name : names) {
    EXPECT_EQ(ferrolink::Utf16FromUtf8(ferrolink::Utf8FromUtf16(name)), name);
  }
  EXPECT_EQ(ferrolink::Utf8FromUtf16(u"\u0159"), "\xC5\x99");
  EXPECT_EQ(ferrolink::Utf16FromUtf8("a\xFF\xC5"), u"a\uFFFD\uFFFD");  // no UTF-8
  EXPECT_EQ(ferrolink::Utf16FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");    // not the shortest form
}
