#include <string>

#include <gtest/gtest.h>

#include "FakeMachine.h"
#include "modMain.h"

using treecarry::FindApplicationDirectory;
using treecarry::GetApplicationDirectory;
using treecarry::GetProfileList;
using treecarry::Hive;
using treecarry::kDirectoriesKey;
using treecarry::kProfileListKey;
using treecarry::SplitText;
using treecarry::test::FakeMachine;

namespace {

const std::string kUser = "S-1-5-21-1-1-1-1000";
const std::string kSecond = "S-1-5-21-1-1-1-1001";
const std::string kThird = "S-1-5-21-1-1-1-1002";

class ProfileWalk : public ::testing::Test {
 protected:
  // Every key that the walk opens it closes again.
  void TearDown() override { EXPECT_EQ(machine.OpenKeys(), 0u); }

  void ListProfiles(std::initializer_list<std::string> names) {
    for (const auto& n : names) machine.AddProfile(n);
  }

  FakeMachine machine;
};

TEST_F(ProfileWalk, ProfileListJoinsSubkeyNamesInEnumerationOrder) {
  ListProfiles({"S-1-5-18", kSecond, ".DEFAULT", kUser});
  EXPECT_EQ(GetProfileList(machine), "S-1-5-18;" + kSecond + ";.DEFAULT;" + kUser);
}

TEST_F(ProfileWalk, NoProfilesOrAnUnreadableListGiveNoDirectory) {
  EXPECT_EQ(GetProfileList(machine), "");  // the key is missing
  EXPECT_EQ(GetApplicationDirectory(machine), "");

  machine.AddKey(Hive::LocalMachine, kProfileListKey);  // present, no subkeys
  EXPECT_EQ(GetProfileList(machine), "");
  EXPECT_EQ(GetApplicationDirectory(machine), "");

  ListProfiles({kUser, kSecond});
  machine.SetApplication(kSecond, "D:\\Data");
  machine.AddKey(Hive::LocalMachine, kProfileListKey).denied = true;
  EXPECT_EQ(GetProfileList(machine), "");
  EXPECT_EQ(GetApplicationDirectory(machine), "");
}

TEST_F(ProfileWalk, TheFirstProfileIsNeverExamined) {
  ListProfiles({kUser});
  machine.SetApplication(kUser, "D:\\Data");
  EXPECT_EQ(FindApplicationDirectory(machine), "");
  EXPECT_EQ(machine.Opened().size(), 1u);  // only the profile list

  ListProfiles({kSecond});
  EXPECT_EQ(FindApplicationDirectory(machine), "");
}

TEST_F(ProfileWalk, TheEarliestProfileWithTheValueWins) {
  ListProfiles({kUser, kSecond, kThird});
  machine.SetApplication(kSecond, "D:\\Second");
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Second");
}

TEST_F(ProfileWalk, AnEmptyValueEndsTheWalk) {
  ListProfiles({kUser, kSecond, kThird});
  machine.SetApplication(kSecond, "");
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(GetApplicationDirectory(machine), "");
}

TEST_F(ProfileWalk, ProfilesWithoutHiveKeyOrValueArePassedOver) {
  ListProfiles({kUser, "S-1-5-21-9-not-loaded", kSecond, kThird});
  machine.AddKey(Hive::Users, kSecond + kDirectoriesKey);  // key without the value
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Third");
  EXPECT_EQ(machine.Opened().back(), kThird + kDirectoriesKey);
}

TEST_F(ProfileWalk, ValuesUpTo254CharactersAreReadLongerOnesCountAsMissing) {
  const std::string fits(254, 'x');
  const std::string too_long(255, 'y');
  ListProfiles({kUser, kSecond, kThird});
  machine.SetApplication(kSecond, fits);
  EXPECT_EQ(GetApplicationDirectory(machine), fits);

  machine.SetApplication(kSecond, too_long);
  machine.SetApplication(kThird, "D:\\Third");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Third");
}

TEST_F(ProfileWalk, AValueWithoutClosingNulIsJustItsText) {
  ListProfiles({kUser, kSecond});
  machine.SetRaw(Hive::Users, kSecond + kDirectoriesKey, "Application", treecarry::kRegSz,
                 "D:\\Data");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Data");

  // 255 characters without NUL fill the read exactly.
  machine.SetRaw(Hive::Users, kSecond + kDirectoriesKey, "Application", treecarry::kRegSz,
                 std::string(255, 'z'));
  EXPECT_EQ(GetApplicationDirectory(machine), std::string(255, 'z'));
}

TEST_F(ProfileWalk, ValueDataIsCutAtItsFirstNulWhateverItsType) {
  ListProfiles({kUser, kSecond});
  machine.SetRaw(Hive::Users, kSecond + kDirectoriesKey, "Application", treecarry::kRegSz,
                 std::string("D:\\Data\0D:\\Old\0", 16));
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Data");
  machine.SetRaw(Hive::Users, kSecond + kDirectoriesKey, "Application", treecarry::kRegDword,
                 std::string("AB\0\0", 4));
  EXPECT_EQ(GetApplicationDirectory(machine), "AB");
}

TEST_F(ProfileWalk, LeadingBlanksOfASubkeyNameAreDroppedTrailingOnesKept) {
  ListProfiles({"  " + kUser, "  " + kSecond + "  "});
  EXPECT_EQ(GetProfileList(machine), kUser + ";" + kSecond + "  ");
  machine.SetApplication(kSecond + "  ", "D:\\Blanks");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Blanks");
}

TEST_F(ProfileWalk, EveryOneOfHundredsOfProfilesIsWalked) {
  ListProfiles({kUser});
  for (int i = 1; i < 300; ++i) ListProfiles({"S-1-5-21-7-" + std::to_string(i)});
  EXPECT_EQ(SplitText(GetProfileList(machine), ";", -1, 0).size(), 300u);

  machine.SetApplication("S-1-5-21-7-299", "D:\\Last");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\Last");
  machine.SetApplication("S-1-5-21-7-255", "D:\\At255");
  EXPECT_EQ(GetApplicationDirectory(machine), "D:\\At255");
}

}  // namespace
