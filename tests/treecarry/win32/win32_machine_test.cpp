// The real machine against the test prefix's registry and processes.
#include <windows.h>
#include <winternl.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArgvRules.h"
#include "Driver.h"
#include "MachineContract.h"
#include "MoveRecord.h"
#include "Win32Machine.h"
#include "modMain.h"

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

// The registry of the test prefix: profiles listed below the profile list,
// their hives below HKEY_USERS, removed again when the ground goes.
class RealGround : public treecarry::test::RegistryGround {
 public:
  ~RealGround() override {
    for (const std::string& name : listed_) {
      e2e::RegRemoveTree(HKEY_LOCAL_MACHINE, std::string(treecarry::kProfileListKey) + "\\" + name);
    }
    for (const std::string& profile : hives_) e2e::RegRemoveTree(HKEY_USERS, profile);
  }
  treecarry::Machine& Sys() override { return machine_; }
  bool Wine() override { return true; }
  void ListProfile(const std::string& name) override {
    listed_.push_back(name);
    ASSERT_TRUE(e2e::RegSetString(HKEY_LOCAL_MACHINE,
                                  std::string(treecarry::kProfileListKey) + "\\" + name,
                                  "ProfileImagePath", "C:\\users\\" + name, REG_EXPAND_SZ));
  }
  void DirectoriesKey(const std::string& profile) override {
    hives_.push_back(profile);
    ASSERT_TRUE(e2e::RegSetString(HKEY_USERS, profile + treecarry::kDirectoriesKey, "Other", "x"));
  }
  void Application(const std::string& profile, std::uint32_t type,
                   const std::string& bytes) override {
    hives_.push_back(profile);
    ASSERT_TRUE(e2e::RegSetBinary(HKEY_USERS, profile + treecarry::kDirectoriesKey,
                                  treecarry::kApplicationValue, bytes, type));
  }

 private:
  Win32Machine machine_;
  std::vector<std::string> listed_;
  std::vector<std::string> hives_;
};

TEST(MachineContract, TheRealMachineKeepsIt) {
  treecarry::test::RunMachineContract([] { return std::make_unique<RealGround>(); });
}

TEST(Win32MachineProcess, ModulePathIsThisProgramsFullPath) {
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, MAX_PATH);
  Win32Machine machine;
  EXPECT_EQ(machine.ModulePath(), own);
  EXPECT_EQ(machine.ModulePath().find(":\\"), 1u);
}

// Started directly or through the shell, Move.exe gets its arguments
// unchanged and is waited for, and its exit code is given back.
TEST(Win32MachineProcess, BothStartsGiveTheExitCodeAfterTheEnd) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  const std::string move = work / "Move.exe";
  const std::string record = work / "record.txt";
  ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_MOVE_STANDIN_EXE).c_str(), move.c_str(), FALSE));
  SetEnvironmentVariableA("TREECARRY_TEST_RECORD", record.c_str());
  Win32Machine machine;
  const std::string argument = treecarry::QuoteArgument("D:\\Mess Daten\\");
  const std::string line = treecarry::MoveCommandLine(move, "D:\\Mess Daten\\");
  for (const bool shell : {false, true}) {
    for (const int code : {0, 42, -5}) {
      SetEnvironmentVariableA("TREECARRY_TEST_EXIT", std::to_string(code).c_str());
      const treecarry::Run run =
          shell ? machine.ShellRunAndWait(move, argument) : machine.RunAndWait(move, line);
      EXPECT_TRUE(run.started);
      EXPECT_EQ(run.exit_code, code) << (shell ? "through the shell" : "directly");
    }
  }
  SetEnvironmentVariableA("TREECARRY_TEST_EXIT", nullptr);
  SetEnvironmentVariableA("TREECARRY_TEST_RECORD", nullptr);
  const auto records = treecarry::test::ParseMoveRecords(e2e::ReadFileBytes(record).value_or(""));
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].cmdline, line);
  for (const std::size_t i : {0u, 5u}) {
    EXPECT_EQ(records[i].argv.at(1), "D:\\Mess Daten\\") << i;
  }
}

TEST(Win32MachineProcess, BothStartsCloseTheirHandles) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  const std::string move = work / "Move.exe";
  ASSERT_TRUE(CopyFileA(e2e::WinPath(TREECARRY_MOVE_STANDIN_EXE).c_str(), move.c_str(), FALSE));
  Win32Machine machine;
  // The first starts may set up run-time state.
  machine.RunAndWait(move, "\"" + move + "\"");
  machine.ShellRunAndWait(move, "");

  const int before = OwnHandleCount();
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(OwnHandleCount(), before + 1) << "the handle count does not follow the handles";
  CloseHandle(probe);

  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(machine.RunAndWait(move, "\"" + move + "\"").exit_code, 0);
    EXPECT_EQ(machine.ShellRunAndWait(move, "").exit_code, 0);
  }
  EXPECT_EQ(OwnHandleCount(), before);
}

// A program that is not there is not started either way, with the system's
// error code.
TEST(Win32MachineProcess, AProgramThatCannotStartSaysWhy) {
  const e2e::WorkDir work = e2e::TestWorkDir();
  Win32Machine machine;
  const std::string missing = work / "Move.exe";
  for (const treecarry::Run& run : {machine.RunAndWait(missing, "\"" + missing + "\" \"D:\\Data\""),
                                    machine.ShellRunAndWait(missing, "\"D:\\Data\"")}) {
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.exit_code, -1);
    EXPECT_EQ(run.error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  }
}

}  // namespace
