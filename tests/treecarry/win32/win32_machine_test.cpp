// The real machine against the test prefix's registry and processes.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArgvRules.h"
#include "Driver.h"
#include "MoveRecord.h"
#include "Win32Machine.h"
#include "modMain.h"

using treecarry::Hive;
using treecarry::KeyAccess;
using treecarry::KeyHandle;
using treecarry::Win32Machine;

namespace {

// Handles this process holds, from the system's handle table (Wine reports
// GetProcessHandleCount as 0 always); -1 when it cannot be read.
int OwnHandleCount() {
  struct Entry {
    ULONG pid;
    UCHAR type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ULONG got = 0;
    const NTSTATUS status =
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &got);
    if (status == 0) break;
    if (status != kInfoLengthMismatch || buffer.size() > (64u << 20)) return -1;
    buffer.resize(buffer.size() * 2);
  }
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  int own = 0;
  for (ULONG i = 0; i < count; ++i) own += entries[i].pid == GetCurrentProcessId() ? 1 : 0;
  return own;
}

// A hive of its own below HKEY_USERS, as a loaded profile's would be.
class Win32MachineRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = "TreecarryWin32Test-" + std::to_string(GetCurrentProcessId());
    key_ = profile_ + treecarry::kDirectoriesKey;
  }
  void TearDown() override { e2e::RegRemoveTree(HKEY_USERS, profile_); }

  // Reads value name of the test key as Treecarry reads Application.
  long Query(const std::string& name, std::string& data, std::uint32_t& type,
             std::uint32_t capacity = treecarry::kValueCapacity) {
    KeyHandle key = 0;
    const long opened = machine_.OpenKey(Hive::Users, key_, KeyAccess::QueryValue, key);
    if (opened != treecarry::kRegSuccess) return opened;
    type = treecarry::kRegSz;
    const long rc = machine_.QueryValue(key, name, capacity, type, data);
    machine_.CloseKey(key);
    return rc;
  }

  Win32Machine machine_;
  std::string profile_;
  std::string key_;
};

TEST_F(Win32MachineRegistry, ProfileListOfThePrefixNamesItsUser) {
  KeyHandle key = 0;
  ASSERT_EQ(machine_.OpenKey(Hive::LocalMachine, treecarry::kProfileListKey,
                             KeyAccess::EnumerateSubKeys, key),
            0);
  std::vector<std::string> names;
  std::string name;
  std::uint32_t index = 0;
  long rc = 0;
  while ((rc = machine_.EnumSubKey(key, index, treecarry::kNameCapacity, name)) == 0) {
    names.push_back(name);
    ++index;
  }
  EXPECT_EQ(rc, treecarry::kRegNoMoreItems);
  EXPECT_NE(std::find(names.begin(), names.end(), "S-1-5-21-0-0-0-1000"), names.end());
  // A name longer than the room given is not cut short but refused.
  EXPECT_EQ(machine_.EnumSubKey(key, 0, 4, name), treecarry::kRegMoreData);
  machine_.CloseKey(key);
}

TEST_F(Win32MachineRegistry, MissingKeysAndValuesFail) {
  KeyHandle key = 0;
  EXPECT_NE(machine_.OpenKey(Hive::Users, key_, KeyAccess::QueryValue, key), 0);
  ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, key_, "Other", "x"));
  std::string data;
  std::uint32_t type = 0;
  EXPECT_EQ(Query("Application", data, type), treecarry::kRegFileNotFound);
}

TEST_F(Win32MachineRegistry, TextValuesArriveAsStored) {
  const std::string text =
      "D:\\Me\xDF"
      "daten\\\xC4nderungen";
  ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, key_, "Application", text));
  std::string data;
  std::uint32_t type = 0;
  ASSERT_EQ(Query("application", data, type), 0);
  EXPECT_EQ(data, text + '\0');
  EXPECT_EQ(type, treecarry::kRegSz);

  // Stored without a closing NUL: the data is the text and nothing of the
  // read's room after it (Wine's ANSI read adds the NUL, Windows may not).
  ASSERT_TRUE(e2e::RegSetBinary(HKEY_USERS, key_, "Application", "D:\\Data", REG_SZ));
  ASSERT_EQ(Query("Application", data, type), 0);
  EXPECT_TRUE(data == "D:\\Data" || data == std::string("D:\\Data\0", 8)) << data;
}

TEST_F(Win32MachineRegistry, TheReadHoldsAtMost255Bytes) {
  ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, key_, "Application", std::string(254, 'x')));
  std::string data;
  std::uint32_t type = 0;
  ASSERT_EQ(Query("Application", data, type), 0);
  EXPECT_EQ(data, std::string(254, 'x') + '\0');

  ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, key_, "Application", std::string(255, 'y')));
  EXPECT_EQ(Query("Application", data, type), treecarry::kRegMoreData);
}

TEST_F(Win32MachineRegistry, OtherTypesArriveAsRawBytes) {
  ASSERT_TRUE(e2e::RegSetDword(HKEY_USERS, key_, "Application", 0x00004241));
  std::string data;
  std::uint32_t type = 0;
  ASSERT_EQ(Query("Application", data, type), 0);
  EXPECT_EQ(type, treecarry::kRegDword);
  EXPECT_EQ(data, std::string("AB\0\0", 4));
}

TEST(Win32MachineProcess, ModulePathIsThisProgramsFullPath) {
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, MAX_PATH);
  Win32Machine machine;
  EXPECT_EQ(machine.ModulePath(), own);
  EXPECT_EQ(machine.ModulePath().find(":\\"), 1u);
}

TEST(Win32MachineProcess, RunAndWaitGivesTheExitCodeAfterTheEnd) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  const std::string move = work / "Move.exe";
  const std::string record = work / "record.txt";
  ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_MOVE_STANDIN_EXE).c_str(), move.c_str(), FALSE));
  SetEnvironmentVariableA("TREECARRY_TEST_RECORD", record.c_str());
  Win32Machine machine;
  const std::string line = treecarry::MoveCommandLine(move, "D:\\Data\\");
  for (const int code : {0, 42, -5}) {
    SetEnvironmentVariableA("TREECARRY_TEST_EXIT", std::to_string(code).c_str());
    EXPECT_EQ(machine.RunAndWait(move, line), code);
  }
  SetEnvironmentVariableA("TREECARRY_TEST_EXIT", nullptr);
  SetEnvironmentVariableA("TREECARRY_TEST_RECORD", nullptr);
  const auto records = treecarry::test::ParseMoveRecords(e2e::ReadFileBytes(record).value_or(""));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].cmdline, line);
  EXPECT_EQ(records[0].argv, (std::vector<std::string>{move, "D:\\Data\\"}));
}

TEST(Win32MachineProcess, RunAndWaitClosesBothHandles) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  const std::string move = work / "Move.exe";
  ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_MOVE_STANDIN_EXE).c_str(), move.c_str(), FALSE));
  Win32Machine machine;
  machine.RunAndWait(move, "\"" + move + "\"");  // the first start may set up run-time state

  const int before = OwnHandleCount();
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(OwnHandleCount(), before + 1) << "the handle count does not follow the handles";
  CloseHandle(probe);

  for (int i = 0; i < 3; ++i) EXPECT_EQ(machine.RunAndWait(move, "\"" + move + "\""), 0);
  EXPECT_EQ(OwnHandleCount(), before);
}

TEST(Win32MachineProcess, AProgramThatCannotStartGivesMinusOne) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  Win32Machine machine;
  const std::string missing = work / "Move.exe";
  EXPECT_EQ(machine.RunAndWait(missing, "\"" + missing + "\" \"D:\\Data\""), -1);
}

}  // namespace
