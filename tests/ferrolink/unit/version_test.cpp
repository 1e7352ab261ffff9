// The version record read from the version resource, and its text.
#include "Version.h"

#include <gtest/gtest.h>

#include "FakeSystem.h"

using ferrolink::test::FakeSystem;

TEST(Version, RecordAndText) {
  FakeSystem p;
  p.version = {0x07DC0001, 0x00020003, 0x00040005, 0x00060007, 0x0B, 0x2B};
  ferrolink::TFileVersion v;
  ASSERT_TRUE(ferrolink::ReadFileVersion(p, "x.exe", v));
  EXPECT_EQ(ferrolink::VersionText(v), "2012.1.2.3");
  EXPECT_EQ(v.ProductVersion[0], 4u);
  EXPECT_EQ(v.ProductVersion[3], 7u);
  EXPECT_TRUE(v.Valid);
  EXPECT_TRUE(v.Debug);          // 0x01 in mask and flags
  EXPECT_TRUE(v.PreRelease);     // 0x02
  EXPECT_TRUE(v.PrivateBuild);   // 0x08
  EXPECT_FALSE(v.SpecialBuild);  // 0x20 in the flags but not in the mask
  // 15 January 2012, 12:30:10
  EXPECT_NEAR(v.FileDate, 40923 + (12 * 3600 + 30 * 60 + 10) / 86400.0, 1e-9);

  p.has_version = false;
  ferrolink::TFileVersion untouched;
  untouched.FileVersion[0] = 9;
  EXPECT_FALSE(ferrolink::ReadFileVersion(p, "x.exe", untouched));
  EXPECT_EQ(untouched.FileVersion[0], 9u);
  EXPECT_EQ(ferrolink::VersionText(ferrolink::TFileVersion{}), "0.0.0.0");
}
