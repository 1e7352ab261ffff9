// The searcher's walk over the fake file system: order, options, stopping,
// the records' lifetime and contents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeFolders.h"
#include "FakeNames.h"
#include "Searcher.h"

using ferrolink::soDirectories;
using ferrolink::soFiles;
using ferrolink::soRecursive;
using ferrolink::TFoundFile;
using ferrolink::TSearcher;
using namespace ferrolink::test;

namespace {

class Searcher : public ::testing::Test {
 protected:
  Searcher() {
    searcher.Options = soFiles | soRecursive;
    searcher.OnFound = [this](TFoundFile& f) { seen.push_back(*f.Directory + f.Name); };
  }
  // C:\Daten holding files a, b and subdirectories s (holding c) and t
  // (holding d), created in an order that no sorting would give.
  void Tree() {
    p.AddFile("C:\\Daten\\b");
    p.AddDir("C:\\Daten\\t");
    p.AddFile("C:\\Daten\\t\\d");
    p.AddFile("C:\\Daten\\a");
    p.AddDir("C:\\Daten\\s");
    p.AddFile("C:\\Daten\\s\\c");
  }

  FakeParts<FakeFolders, FakeNames> p;
  TSearcher searcher{p, p};
  std::vector<std::string> seen;
};

}  // namespace

TEST_F(Searcher, WalksDepthFirstInListingOrderWithOneListingPerFolder) {
  Tree();
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Daten\\b", "C:\\Daten\\a", "C:\\Daten\\t\\d",
                                            "C:\\Daten\\s\\c"}));
  EXPECT_EQ(searcher.Mask, "*.*");
  ASSERT_EQ(searcher.Items.size(), 4u);
  EXPECT_EQ(searcher.Items[2].Name, "d");
  EXPECT_EQ(*searcher.Items[2].Directory, "C:\\Daten\\t\\");
  EXPECT_EQ(p.list_calls, 3);  // C:\Daten, t, s: each listed once
}

TEST_F(Searcher, AppliesAnyOtherMaskInEverySubdirectory) {
  p.AddFile("C:\\Daten\\x.txt");
  p.AddFile("C:\\Daten\\x.dat");
  p.AddFile("C:\\Daten\\sub.dir\\y.txt");  // a folder the mask does not match
  p.AddFile("C:\\Daten\\sub.dir\\y.dat");
  searcher.Start("C:\\Daten\\*.txt");
  EXPECT_EQ(searcher.Mask, "*.txt");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Daten\\x.txt", "C:\\Daten\\sub.dir\\y.txt"}));
}

TEST_F(Searcher, NeverEntersDirectoriesWithALeadingDot) {
  p.AddFile("C:\\Daten\\.git\\config");
  p.AddFile("C:\\Daten\\..backup\\old.dat");
  p.AddFile("C:\\Daten\\m.dat");
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(seen, std::vector<std::string>{"C:\\Daten\\m.dat"});
}

TEST_F(Searcher, DirectoriesAloneReportDotEntriesAndSubdirectoriesOnly) {
  Tree();
  searcher.Options = soDirectories;
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Daten\\.", "C:\\Daten\\..", "C:\\Daten\\t",
                                            "C:\\Daten\\s"}));
}

TEST_F(Searcher, StopInTheHandlerEndsEveryLevel) {
  Tree();
  int calls = 0;
  searcher.OnFound = [&](TFoundFile&) {
    ++calls;
    searcher.Stop();
  };
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(searcher.Items.size(), 1u);
  EXPECT_FALSE(searcher.Running);

  // Stopped inside a subdirectory: nothing further, also not the sibling t.
  seen.clear();
  searcher.OnFound = [&](TFoundFile& f) {
    seen.push_back(f.Name);
    if (f.Name == "d") searcher.Stop();
  };
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(seen, (std::vector<std::string>{"b", "a", "d"}));
}

TEST_F(Searcher, SecondStartReleasesTheFirstRecordsAndTheirAttachmentsFirst) {
  Tree();
  static int released;
  released = 0;
  searcher.OnFound = [](TFoundFile& f) {
    f.Attachment = {new int(7), [](void* block) {
                      delete static_cast<int*>(block);
                      ++released;
                    }};
  };
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(released, 0);
  int released_before_first_report = -1;
  searcher.OnFound = [&](TFoundFile&) {
    if (released_before_first_report < 0) released_before_first_report = released;
  };
  searcher.Start("C:\\Daten\\s\\*.*");
  EXPECT_EQ(released_before_first_report, 4);
  ASSERT_EQ(searcher.Items.size(), 1u);
  EXPECT_EQ(searcher.Items[0].Name, "c");
  searcher.ClearItems();
  EXPECT_TRUE(searcher.Items.empty());
}

TEST_F(Searcher, FillsTheRecordFromTheListing) {
  FakeDisk::Node& big = p.AddFile("C:\\Daten\\big.raw", "", 0x21);
  big.size = (5ULL << 32) + 17;  // 20 GiB and a bit
  big.ctime = 100;
  big.wtime = 200;
  big.atime = 300;
  searcher.Start("C:\\Daten\\*.*");
  ASSERT_EQ(searcher.Items.size(), 1u);
  const TFoundFile& f = searcher.Items[0];
  EXPECT_EQ(f.Size, static_cast<int64_t>((5ULL << 32) + 17));
  EXPECT_EQ(f.Attributes, 0x21u);
  EXPECT_EQ(f.CreationTime, 100 + p.local_offset);  // local times
  EXPECT_EQ(f.LastWriteTime, 200 + p.local_offset);
  EXPECT_EQ(f.LastAccessTime, 300 + p.local_offset);
  EXPECT_FALSE(f.Attachment);
}

TEST_F(Searcher, KeepsLongDirectoriesAndNamesWhole) {
  const std::string deep = "C:\\Daten\\" + std::string(200, 'x') + "\\" + std::string(100, 'y');
  const std::string name = std::string(250, 'n') + ".dat";
  p.AddFile(deep + "\\" + name);
  searcher.Start("C:\\Daten\\*.*");
  ASSERT_EQ(searcher.Items.size(), 1u);
  EXPECT_EQ(*searcher.Items[0].Directory, deep + "\\");
  EXPECT_EQ(searcher.Items[0].Name, name);
}

TEST_F(Searcher, MissingOrUnlistableDirectoriesAreSkippedSilently) {
  searcher.Start("C:\\Nirgends\\*.*");
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(searcher.Items.empty());

  Tree();
  p.Find("C:\\Daten\\t")->unlistable = true;
  searcher.Start("C:\\Daten\\*.*");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Daten\\b", "C:\\Daten\\a", "C:\\Daten\\s\\c"}));
}

TEST_F(Searcher, RelativePatternSearchesBelowTheCurrentDirectory) {
  p.current_dir = "C:\\Work\\";
  p.AddFile("C:\\Work\\in\\m.dat");
  searcher.Start("in\\*.*");
  EXPECT_EQ(seen, std::vector<std::string>{"C:\\Work\\in\\m.dat"});
}

TEST_F(Searcher, AHandlerExceptionLeavesTheSearchStoppedAndTheRecordOwned) {
  Tree();
  searcher.OnFound = [](TFoundFile&) { throw std::runtime_error("voll"); };
  EXPECT_THROW(searcher.Start("C:\\Daten\\*.*"), std::runtime_error);
  EXPECT_FALSE(searcher.Running);
  EXPECT_EQ(searcher.Items.size(), 1u);
}
