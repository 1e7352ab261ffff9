#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArgvRules.h"
#include "FakeMachine.h"
#include "modMain.h"

using treecarry::MoveCommandLine;
using treecarry::MovePath;
using treecarry::QuoteArgument;
using treecarry::test::FakeMachine;
using treecarry::test::SplitArguments;
using Args = std::vector<std::string>;

TEST(MoveCommandLine, MoveLiesBesideTreecarryEvenAtADriveRoot) {
  EXPECT_EQ(MovePath("C:\\Tools\\Treecarry.exe"), "C:\\Tools\\Move.exe");
  EXPECT_EQ(MovePath("C:\\Treecarry.exe"), "C:\\Move.exe");
  EXPECT_EQ(MovePath("\\\\server\\share\\Treecarry.exe"), "\\\\server\\share\\Move.exe");
  EXPECT_EQ(MoveCommandLine(MovePath("C:\\Treecarry.exe"), "D:\\Data"),
            "\"C:\\Move.exe\" \"D:\\Data\"");
}

TEST(MoveCommandLine, PlainDirectoryStandsInDoubleQuotes) {
  EXPECT_EQ(MoveCommandLine("C:\\Tools\\Move.exe", "D:\\Data"),
            "\"C:\\Tools\\Move.exe\" \"D:\\Data\"");
  EXPECT_EQ(MoveCommandLine("C:\\Tools\\Move.exe", "D:\\Mess Daten\\Lauf 1"),
            "\"C:\\Tools\\Move.exe\" \"D:\\Mess Daten\\Lauf 1\"");
}

TEST(MoveCommandLine, AFolderWithBlanksIsQuoted) {
  const std::string move = MovePath("C:\\Program Files\\Quorlen Tools\\Treecarry.exe");
  const std::string line = MoveCommandLine(move, "D:\\Data");
  EXPECT_EQ(line, "\"C:\\Program Files\\Quorlen Tools\\Move.exe\" \"D:\\Data\"");
  EXPECT_EQ(SplitArguments(line), (Args{move, "D:\\Data"}));
}

TEST(MoveCommandLine, TrailingBackslashesAndQuotesArriveUnchanged) {
  EXPECT_EQ(QuoteArgument("D:\\Data\\"), "\"D:\\Data\\\\\"");
  EXPECT_EQ(QuoteArgument("D:\\a\"b"), "\"D:\\a\\\"b\"");
  EXPECT_EQ(QuoteArgument("D:\\a\\\"b"), "\"D:\\a\\\\\\\"b\"");
  EXPECT_EQ(QuoteArgument("\\\\server\\share"), "\"\\\\server\\share\"");
  for (const std::string dir : {"D:\\Data\\", "D:\\Data\\\\", "D:\\a\"b", "\"", "D:\\a\\\"b\\",
                                "\\\\srv\\x y\\", "D:\\M\xE4ssung\t1", " "}) {
    EXPECT_EQ(SplitArguments(MoveCommandLine("C:\\T\\Move.exe", dir)),
              (Args{"C:\\T\\Move.exe", dir}))
        << dir;
  }
}

TEST(RunMove, NoDirectoryStartsNothing) {
  FakeMachine machine;
  EXPECT_FALSE(treecarry::RunMove(machine));
  EXPECT_TRUE(machine.runs.empty());
}

TEST(RunMove, StartsMoveByItsFullPathWithTheDirectory) {
  FakeMachine machine;
  machine.module_path = "C:\\Program Files\\Quorlen\\Treecarry.exe";
  machine.AddProfile("S-1-5-18");
  machine.AddProfile("S-1-5-21-1-1-1-1000");
  machine.SetApplication("S-1-5-21-1-1-1-1000", "D:\\Mess Daten\\");
  EXPECT_TRUE(treecarry::RunMove(machine));
  ASSERT_EQ(machine.runs.size(), 1u);
  EXPECT_EQ(machine.runs[0].application, "C:\\Program Files\\Quorlen\\Move.exe");
  EXPECT_EQ(machine.runs[0].command_line,
            "\"C:\\Program Files\\Quorlen\\Move.exe\" \"D:\\Mess Daten\\\\\"");
}

// Any end of Move.exe, and a start that fails, count as a start made; only
// a Move.exe that Windows starts only elevated is started again, through the
// shell, with the directory as its one argument.
TEST(RunMove, AnyEndOfMoveCountsAsAStartMadeAndElevationGoesThroughTheShell) {
  struct Case {
    std::int32_t exit_code;
    std::uint32_t start_error;
    bool through_the_shell;
  };
  for (const Case& c : {Case{0, 0, false}, Case{3, 0, false}, Case{-1, 2, false},
                        Case{-1, 5, false}, Case{0, 740, true}}) {
    SCOPED_TRACE(std::to_string(c.exit_code) + " / error " + std::to_string(c.start_error));
    FakeMachine machine;
    machine.exit_code = c.exit_code;
    machine.start_error = c.start_error;
    machine.AddProfile("S-1-5-18");
    machine.AddProfile("S-1-5-21-1-1-1-1000");
    machine.SetApplication("S-1-5-21-1-1-1-1000", "D:\\Mess Daten\\");
    EXPECT_TRUE(treecarry::RunMove(machine));
    EXPECT_EQ(machine.runs.size(), 1u);
    ASSERT_EQ(machine.shell_runs.size(), c.through_the_shell ? 1u : 0u);
    if (c.through_the_shell) {
      EXPECT_EQ(machine.shell_runs[0].application, "C:\\Tools\\Move.exe");
      EXPECT_EQ(SplitArguments("Move.exe " + machine.shell_runs[0].command_line),
                (Args{"Move.exe", "D:\\Mess Daten\\"}));
    }
  }
}
