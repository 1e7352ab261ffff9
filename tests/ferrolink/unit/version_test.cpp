// The version record read from the version resource, and its text.
#include "Version.h"

#include <gtest/gtest.h>

#include "FakeNames.h"

using ferrolink::test::FakeNames;

TEST(Version, RecordAndText) {
  FakeNames p;
  p.version_high = 0x07DC0001;
  p.version_low = 0x00020003;
  ferrolink::TFileVersion v;
  ASSERT_TRUE(ferrolink::ReadFileVersion(p, p.module_file, v));
  EXPECT_EQ(ferrolink::VersionText(v), "2012.1.2.3");
  EXPECT_TRUE(v.Valid);

  p.has_version = false;
  ferrolink::TFileVersion untouched;
  untouched.FileVersion[0] = 9;
  EXPECT_FALSE(ferrolink::ReadFileVersion(p, p.module_file, untouched));
  EXPECT_EQ(untouched.FileVersion[0], 9u);
  EXPECT_EQ(ferrolink::VersionText(ferrolink::TFileVersion{}), "0.0.0.0");
}
