// Ferrolink.exe against a server that misbehaves as real ones do: it goes
// away during a copy, stops answering, or has a file held open by a viewer.
// The server is a FUSE file system of the tests' own, which counts what is
// written to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Driver.h"
#include "FerrolinkFixture.h"

namespace {

class FerrolinkServer : public FerrolinkCycle {
 protected:
  void SetUp() override {
    FerrolinkCycle::SetUp();
    if (!server.Mounted()) GTEST_SKIP() << "FUSE cannot be mounted: " << server.Why();
  }
  void TearDown() override {
    // A program that waits for the server can end.
    if (server.Mounted()) server.SetMode("normal");
    FerrolinkCycle::TearDown();
  }
  // A file of 6 MB at the source, of varying bytes: a copy cut short or
  // put together wrong differs from it.
  std::string PutLarge(const std::string& name) {
    std::string bytes(6 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 9);
    EXPECT_TRUE(e2e::WriteFileBytes(source + name, bytes));
    return bytes;
  }
  // A tick with a new file `t<tick>.dfq`, listed after the others: true once
  // it arrived at the server, when the cycle has passed them.
  bool TickPast(int tick) {
    const std::string marker = "t" + std::to_string(tick) + ".dfq";
    Put(marker);
    Tick();
    return e2e::WaitUntil([&] { return e2e::FileExists(server / marker); });
  }
  // The longest time the window took to answer, probed for `ms`.
  DWORD LongestAnswer(DWORD ms) {
    DWORD longest = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
      const DWORD sent = GetTickCount();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
      longest = std::max(longest, GetTickCount() - sent);
    }
    return longest;
  }

  e2e::FuseServer server{dir / "server"};
};

}  // namespace

// The server goes away while a large file is copied to it and comes back:
// the next cycles deliver the file whole and leave nothing of the cut copy.
TEST_F(FerrolinkServer, ACopyCutOffByAServerThatGoesAwayLeavesNothingOnceItIsBack) {
  const std::string bytes = PutLarge("scan.dat");
  Start(server.Path(), true);
  ASSERT_TRUE(server.SetMode("after 2000000 gone"));
  Tick();
  ASSERT_TRUE(e2e::WaitUntil([&] { return server.Mode() == "gone"; }));
  Tick();  // runs once the cut cycle has ended
  ASSERT_TRUE(WaitCaption("Ferrolink - Kein Netz"));
  ASSERT_TRUE(server.SetMode("normal"));
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{}));
  Tick();
  EXPECT_TRUE(WaitFiles(server.Path(), Files{"scan.dat"})) << [&] {
    std::string names = "at the server:";
    for (const std::string& name : e2e::ListFilesRecursive(server.Path())) names += " " + name;
    return names;
  }();
  EXPECT_TRUE(e2e::ReadFileBytes(server / "scan.dat") == bytes);
  Close();
}

// A server that stops answering, as the target during a copy or as the
// home of the settings and the journal during a journal write: the window
// answers at once, a close takes it away within 3 s, and the program ends
// soon after the server answers again.
TEST_F(FerrolinkServer, AServerThatStopsAnsweringLeavesTheWindowAnswering) {
  enum OnTheServer { Target, Settings };
  for (const OnTheServer on : {Target, Settings}) {
    SCOPED_TRACE(on == Target ? "target" : "settings and journal");
    PutLarge("scan.dat");
    const std::string local = dir / (on == Target ? "calyrix\\" : "ziel\\");
    const std::string target = on == Target ? server / "ziel\\" : local;
    settings = on == Settings ? server / "calyrix\\" : local;
    ASSERT_TRUE(e2e::MakeDirs(settings));
    ASSERT_TRUE(e2e::MakeDirs(target));
    Start(target, true);
    if (on == Target) {
      ASSERT_TRUE(server.SetMode("after 2000000 stall"));
    } else {
      // The first line, once written, leaves the next write to wait: the
      // cycle's line for the delivered file.
      ASSERT_TRUE(e2e::WaitUntil([&] {
        return e2e::ReadFileBytes(settings + "ferrolink.log").value_or("").find("\tStart\t") !=
               std::string::npos;
      }));
      ASSERT_TRUE(server.SetMode("after 0 stall"));
    }
    Tick();
    ASSERT_TRUE(e2e::WaitUntil([&] { return server.Waiting() > 0; })) << "nothing waits";
    const DWORD longest = LongestAnswer(1500);
    std::printf("longest answer while the server stalls: %lu ms\n", longest);
    EXPECT_LT(longest, 1000u);
    const DWORD closed = GetTickCount();
    e2e::Close(w);
    // Neither the window nor its task-bar button (it may be minimised) stays.
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TopWindows(app.Pid()).empty(); }, 3000));
    std::printf("window gone after %lu ms\n", GetTickCount() - closed);
    ASSERT_TRUE(server.SetMode("normal"));
    EXPECT_TRUE(app.Wait(5000).has_value()) << "still running 5 s after the server answers";
    app.Kill();
  }
}

// A viewer holds the older copy at the server open, without letting it be
// replaced, while a newer one waits at the source: the ticks meanwhile make
// no more than two copies of it, and once the viewer lets go, a later tick
// delivers it.
TEST_F(FerrolinkServer, AFileHeldAtTheServerIsNotCopiedAgainAndAgain) {
  ASSERT_TRUE(e2e::WriteFileBytes(server / "scan.dat", "alte Fassung"));
  const std::string bytes = PutLarge("scan.dat");
  const uint64_t before = server.BytesWritten("scan.dat");
  HANDLE viewer = CreateFileW(e2e::Wide(server / "scan.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
  Start(server.Path(), true);
  for (int tick = 0; tick < 6; ++tick) ASSERT_TRUE(TickPast(tick)) << tick;
  const uint64_t copied = server.BytesWritten("scan.dat") - before;
  EXPECT_EQ(e2e::ReadFileBytes(server / "scan.dat").value_or(""), "alte Fassung");
  CloseHandle(viewer);
  std::printf("copies while held: %.2f\n", static_cast<double>(copied) / bytes.size());
  EXPECT_LE(copied, 2 * bytes.size());
  Tick();
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadFileBytes(server / "scan.dat") == bytes; }));
  EXPECT_TRUE(WaitFiles(source, Files{}));
  Close();
}

// A server that stores what is written to one file changed (a line or a
// server layer that damages data): that file never stands at the server,
// its source stays, and the journal says so once, while the other files
// arrive; once the server is mended, its next try delivers it whole.
TEST_F(FerrolinkServer, ADamagedCopyNeverStandsAndItsSourceStays) {
  const std::string bytes = PutLarge("scan.dat");
  ASSERT_TRUE(server.SetMode("damage scan.dat*"));
  Start(server.Path(), true);
  for (int tick = 0; tick < 3; ++tick) {
    ASSERT_TRUE(TickPast(tick)) << tick;
    EXPECT_FALSE(e2e::FileExists(server / "scan.dat"));
  }
  EXPECT_EQ(e2e::ReadFileBytes(source + "scan.dat"), bytes);
  const std::string journal = e2e::ReadFileBytes(settings + "ferrolink.log").value_or("");
  const size_t told = journal.find("scan.dat\tKopie am Ziel weicht ab");
  EXPECT_NE(told, std::string::npos) << journal;
  EXPECT_EQ(journal.find("scan.dat\tKopie am Ziel weicht ab", told + 1), std::string::npos);
  ASSERT_TRUE(server.SetMode("normal"));
  // A changed source is tried at once.
  ASSERT_TRUE(e2e::WriteFileBytes(source + "scan.dat", bytes));
  Tick();
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadFileBytes(server / "scan.dat") == bytes; }));
  EXPECT_TRUE(WaitFiles(source, Files{}));
  EXPECT_TRUE(WaitFiles(server.Path(), Files{"scan.dat", "t0.dfq", "t1.dfq", "t2.dfq"}));
  Close();
}
