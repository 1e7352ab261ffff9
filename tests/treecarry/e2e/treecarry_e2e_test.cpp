// Treecarry.exe end to end under Wine: profile keys in the prefix's registry,
// the Move.exe stand-in beside the program in a folder with a blank, and
// what arrives at Move.exe, when, and what does not run.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Driver.h"
#include "MoveRecord.h"

using treecarry::test::MoveRecord;
using treecarry::test::ParseMoveRecords;

namespace {

const std::string kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const std::string kDirectories = "\\Software\\Quorlen\\Calyrix\\Directories";
// Sort after the prefix's own user S-1-5-21-0-0-0-1000, which the walk
// never examines since it is the first profile.
const std::string kFirst = "S-1-5-21-9-9-9-2001";
const std::string kSecond = "S-1-5-21-9-9-9-2002";

class TreecarryRun : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProfiles();
    ASSERT_TRUE(e2e::MakeDirs(install_));
    ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_EXE).c_str(), treecarry_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_MOVE_STANDIN_EXE).c_str(), move_.c_str(), FALSE));
    // Treecarry hands its environment on to Move.exe.
    SetEnvironmentVariableA("TREECARRY_TEST_RECORD", record_.c_str());
  }

  void TearDown() override {
    RemoveProfiles();
    for (const char* name :
         {"TREECARRY_TEST_RECORD", "TREECARRY_TEST_RELEASE", "TREECARRY_TEST_EXIT"}) {
      SetEnvironmentVariableA(name, nullptr);
    }
  }

  static void RemoveProfiles() {
    for (const std::string& name : {kFirst, kSecond}) {
      e2e::RegRemoveTree(HKEY_LOCAL_MACHINE, kProfileList + "\\" + name);
      e2e::RegRemoveTree(HKEY_USERS, name);
    }
    e2e::RegRemoveTree(HKEY_CURRENT_USER, "Software\\Quorlen");
  }

  // A profile that the machine lists; with a directory, its loaded hive
  // holds the Application value.
  static void AddProfile(const std::string& name) {
    ASSERT_TRUE(e2e::RegSetString(HKEY_LOCAL_MACHINE, kProfileList + "\\" + name,
                                  "ProfileImagePath", "C:\\users\\" + name, REG_EXPAND_SZ));
  }
  static void SetApplication(const std::string& profile, const std::string& dir) {
    ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, profile + kDirectories, "Application", dir));
  }

  // Runs Treecarry.exe to its end; its exit code.
  DWORD RunTreecarry() {
    e2e::Program program = e2e::Program::Start(treecarry_);
    const auto code = program.Wait(20000);
    EXPECT_TRUE(code.has_value()) << "Treecarry.exe did not end";
    return code.value_or(0xDEAD);
  }

  std::vector<MoveRecord> Records() const {
    return ParseMoveRecords(e2e::ReadFileBytes(record_).value_or(""));
  }

  const e2e::WorkDir work_ = e2e::TestWorkDir();
  const std::string install_ = work_ / "Mess Programme\\Treecarry\\";
  const std::string treecarry_ = install_ + "Treecarry.exe";
  const std::string move_ = install_ + "Move.exe";
  const std::string record_ = work_ / "move-record.txt";
};

class TreecarryArgument : public TreecarryRun, public ::testing::WithParamInterface<const char*> {};

TEST_P(TreecarryArgument, MoveReceivesExactlyTheDirectoryOfTheFirstProfileWithIt) {
  AddProfile(kFirst);
  AddProfile(kSecond);
  SetApplication(kFirst, GetParam());
  SetApplication(kSecond, "D:\\Other");
  EXPECT_EQ(RunTreecarry(), 0u);
  const auto records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].module, move_);
  EXPECT_EQ(records[0].argv, (std::vector<std::string>{move_, GetParam()}));
}

INSTANTIATE_TEST_SUITE_P(Directories, TreecarryArgument,
                         ::testing::Values("D:\\Data", "Z:\\Mess Daten\\Lauf 1", "D:\\Data\\",
                                           "D:\\Mess \"alt\"\\",
                                           "C:\\Me\xDF"
                                           "daten\\\xC4nderungen"));

TEST_F(TreecarryRun, EndsOnlyAfterMoveHasEndedAndShowsNoWindow) {
  const std::string release = work_ / "release";
  SetEnvironmentVariableA("TREECARRY_TEST_RELEASE", release.c_str());
  AddProfile(kFirst);
  SetApplication(kFirst, "D:\\Data");
  e2e::Program treecarry = e2e::Program::Start(treecarry_);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !Records().empty(); }, 20000)) << "no start of Move";
  HANDLE move = OpenProcess(SYNCHRONIZE, FALSE, Records()[0].pid);
  ASSERT_NE(move, nullptr);

  EXPECT_FALSE(treecarry.Wait(1000).has_value()) << "Treecarry ended while Move.exe ran";
  EXPECT_TRUE(e2e::TopWindows(treecarry.Pid(), false).empty());

  ASSERT_TRUE(e2e::WriteFileBytes(release, ""));
  EXPECT_EQ(treecarry.Wait(20000).value_or(0xDEAD), 0u);
  EXPECT_EQ(WaitForSingleObject(move, 0), WAIT_OBJECT_0) << "Move.exe still runs";
  CloseHandle(move);
}

TEST_F(TreecarryRun, WithoutADirectoryMoveNeverStarts) {
  // Only the user's own profile, the first one listed, holds the value; a
  // further profile has no hive loaded.
  ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, "Software\\Quorlen\\Calyrix\\Directories",
                                "Application", "D:\\Own"));
  AddProfile(kFirst);
  EXPECT_EQ(RunTreecarry(), 0u);
  EXPECT_FALSE(e2e::FileExists(record_));

  // An empty value ends the walk before a profile that has a directory.
  SetApplication(kFirst, "");
  AddProfile(kSecond);
  SetApplication(kSecond, "D:\\Data");
  EXPECT_EQ(RunTreecarry(), 0u);
  EXPECT_FALSE(e2e::FileExists(record_));
}

TEST_F(TreecarryRun, EndsNormallyWhenMoveIsMissing) {
  ASSERT_TRUE(DeleteFileA(move_.c_str()));
  AddProfile(kFirst);
  SetApplication(kFirst, "D:\\Data");
  EXPECT_EQ(RunTreecarry(), 0u);
}

TEST_F(TreecarryRun, AnyExitCodeOfMoveEndsTreecarryAlike) {
  AddProfile(kFirst);
  SetApplication(kFirst, "D:\\Data");
  for (const char* code : {"7", "-1"}) {
    SetEnvironmentVariableA("TREECARRY_TEST_EXIT", code);
    EXPECT_EQ(RunTreecarry(), 0u) << code;
  }
  EXPECT_EQ(Records().size(), 2u);
}

TEST_F(TreecarryRun, ADecoyAtTheFolderFirstBlankNeverRuns) {
  // Mess.exe stands where the platform looks first for an unquoted
  // "...\Mess Programme\Treecarry\Move.exe".
  const std::string decoy = work_ / "Mess.exe";
  ASSERT_TRUE(CopyFileA(move_.c_str(), decoy.c_str(), FALSE));

  // The decoy is really in reach: an unquoted command line starts it.
  std::string unquoted = move_ + " \"D:\\Data\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, unquoted.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(Records().size(), 1u);
  ASSERT_EQ(Records()[0].module, decoy);
  ASSERT_TRUE(DeleteFileA(record_.c_str()));

  AddProfile(kFirst);
  SetApplication(kFirst, "D:\\Data");
  EXPECT_EQ(RunTreecarry(), 0u);
  const auto records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].module, move_);
  EXPECT_EQ(records[0].cmdline, "\"" + move_ + "\" \"D:\\Data\"");
}

// DLLs named like the system's beside the program: a run loads none.
TEST_F(TreecarryRun, NoDllBesideTheProgramIsLoaded) {
  const e2e::PlantedDlls planted(treecarry_);
  ASSERT_TRUE(planted.Planted());
  AddProfile(kFirst);
  SetApplication(kFirst, "D:\\Data");
  EXPECT_EQ(RunTreecarry(), 0u);
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_EQ(planted.Loaded(), std::vector<std::string>{});
}

}  // namespace
