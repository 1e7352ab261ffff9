#include <string>

#include <gtest/gtest.h>

#include "FakeMachine.h"
#include "modMain.h"

using treecarry::FindApplicationDirectory;
using treecarry::test::FakeMachine;

namespace {

const std::string kUser = "S-1-5-21-1-1-1-1000";
const std::string kSecond = "S-1-5-21-1-1-1-1001";
const std::string kThird = "S-1-5-21-1-1-1-1002";

class ProfileWalk : public ::testing::Test {
 protected:
  void ListProfiles(std::initializer_list<std::string> names) {
    for (const auto& n : names) machine.AddProfile(n);
  }

  FakeMachine machine;
};

TEST_F(ProfileWalk, NoProfilesGiveNoDirectory) {
  EXPECT_EQ(FindApplicationDirectory(machine), "");
  EXPECT_TRUE(machine.asked.empty());
}

TEST_F(ProfileWalk, TheFirstProfileIsNeverExamined) {
  ListProfiles({kUser});
  machine.SetApplication(kUser, "D:\\Data");
  EXPECT_EQ(FindApplicationDirectory(machine), "");
  EXPECT_TRUE(machine.asked.empty());

  ListProfiles({kSecond});
  EXPECT_EQ(FindApplicationDirectory(machine), "");
  EXPECT_EQ(machine.asked, std::vector<std::string>{kSecond});
}

TEST_F(ProfileWalk, TheEarliestProfileWithTheValueWins) {
  ListProfiles({kUser, kSecond, kThird});
  machine.SetApplication(kSecond, "D:\\Second");
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\Second");
}

TEST_F(ProfileWalk, AnEmptyValueEndsTheWalk) {
  ListProfiles({kUser, kSecond, kThird});
  machine.SetApplication(kSecond, "");
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(FindApplicationDirectory(machine), "");
}

TEST_F(ProfileWalk, ProfilesWithoutHiveKeyOrValueArePassedOver) {
  ListProfiles({kUser, "S-1-5-21-9-not-loaded", kSecond, kThird});
  machine.AddDirectoriesKey(kSecond);
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\Third");
  EXPECT_EQ(machine.asked.back(), kThird);
}

TEST_F(ProfileWalk, LeadingBlanksOfAProfileNameAreDroppedTrailingOnesKept) {
  ListProfiles({"  " + kUser, "  " + kSecond + "  "});
  machine.SetApplication(kSecond + "  ", "D:\\Blanks");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\Blanks");
  EXPECT_EQ(machine.asked, std::vector<std::string>{kSecond + "  "});
}

TEST_F(ProfileWalk, NamesAreNeitherJoinedNorSplit) {
  // A profile whose name holds a ";" stays one profile; an empty first name
  // still counts as the first profile.
  ListProfiles({" ", kUser + ";" + kSecond});
  machine.SetApplication(kUser + ";" + kSecond, "D:\\Whole");
  machine.SetApplication(kSecond, "D:\\Piece");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\Whole");
}

TEST_F(ProfileWalk, EveryOneOfHundredsOfProfilesIsWalked) {
  ListProfiles({kUser});
  for (int i = 1; i < 300; ++i) ListProfiles({"S-1-5-21-7-" + std::to_string(i)});
  EXPECT_EQ(FindApplicationDirectory(machine), "");
  EXPECT_EQ(machine.asked.size(), 299u);

  machine.SetApplication("S-1-5-21-7-299", "D:\\Last");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\Last");
  machine.SetApplication("S-1-5-21-7-255", "D:\\At255");
  EXPECT_EQ(FindApplicationDirectory(machine), "D:\\At255");
}

}  // namespace
