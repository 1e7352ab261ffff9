// The trim beside a plug-in that keeps writing: at every step of the trim
// and of the finish that follows a run that ended, whatever the plug-in does
// and however the run ends, the next start and opening leave every event
// once, in the order written, and no file but the event file and what was
// there before.
#include "eventfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "EventWriter.h"
#include "FakeEventFileSystem.h"

namespace {

using message::EVENT_FILE_KEEP_BYTES;
using message_test::EventRecord;
using message_test::FakeEventFileSystem;
using message_test::FrameRecord;
using message_test::FrameRecords;
using message_test::SampleEvents;
using message_test::Shift;
using message_test::Unshift;

const std::string kPath = "C:\\Programme\\Message\\QsStat.sta";
const message::TrimFiles kFiles(kPath);
// An archive an administrator keeps by hand beside the event file.
const std::string kArchive = kPath + ".bak";

// What the plug-in, or the end of the run, does at one call.
enum class Plugin {
  kAppendsToTheOpenFile,  // through a handle it opened before, sharing deletion; then lets it go
  kAppendsByName,         // opens the file by name, making it when it is missing
  kDies,                  // Message's run ends in this call
  kDiesThenAppends,       // ... and the plug-in appends by name before the next start
  kPowerFails,            // the run ends, and what was not flushed is lost
  kCallFails,             // the call fails, if it changes a file
  kHoldsTheFile,          // holds it open without sharing its deletion, then appends and lets go
};

std::string Join(const std::vector<std::string>& framed) {
  std::string all;
  for (const std::string& f : framed) all += f;
  return all;
}

// The events and the files of one run.
class Scene {
 public:
  // On a file system that renumbers a file renamed to a longer name, or not.
  explicit Scene(bool renumbers = false) {
    fs.renumbers_renamed = renumbers;
    // Made once: every run starts from the same file.
    static const std::vector<std::string> initial = [] {
      std::vector<std::string> framed;
      for (const EventRecord& r : SampleEvents(EVENT_FILE_KEEP_BYTES + 2000)) {
        framed.push_back(FrameRecord(r));
      }
      return framed;
    }();
    static const std::string stored = Shift(Join(initial));
    written_ = initial;
    fs.files[kPath] = stored;
    fs.files[kArchive] = "Archiv";
  }

  // The plug-in's next event, kept in the order written.
  std::string NextEvent() {
    written_.push_back(
        FrameRecord(message_test::SampleEvent(5000 + static_cast<int>(written_.size()))));
    return Shift(written_.back());
  }

  // The plug-in opens the event file and holds it, sharing its deletion,
  // until it appends through that handle in a later step.
  void HoldFromNow() { holder_ = fs.Hold(kPath, true); }

  // Runs one step (a trim or a finish) while the plug-in does `what` at its
  // call `at`. False when the step ended before that call. A handle the
  // plug-in holds for this step is let go with its event when it ends.
  bool Step(const std::function<void()>& step, Plugin what, int at) {
    const int base = fs.Calls();
    if (what == Plugin::kAppendsToTheOpenFile && holder_ == kNone && fs.files.count(kPath)) {
      HoldFromNow();
    }
    bool reached = false;
    fs.before_call = [&](int call) {
      if (call != base + at) return;
      reached = true;
      if (what == Plugin::kAppendsToTheOpenFile) LetGo();
      if (what == Plugin::kAppendsByName) fs.PluginAppends(kPath, NextEvent());
      if (what == Plugin::kHoldsTheFile && fs.files.count(kPath)) holder_ = fs.Hold(kPath, false);
    };
    const bool ends =
        what == Plugin::kDies || what == Plugin::kDiesThenAppends || what == Plugin::kPowerFails;
    fs.stop_before_call = ends ? base + at : -1;
    fs.fail_call = what == Plugin::kCallFails ? base + at : -1;
    try {
      step();
      // A step that returns leaves the event file in its place for the list,
      // unless a call of the system failed.
      if (what != Plugin::kCallFails) {
        EXPECT_TRUE(fs.files.count(kPath)) << "the event file";
      }
    } catch (const FakeEventFileSystem::Stopped&) {
      reached = true;
    }
    fs.before_call = nullptr;
    fs.stop_before_call = fs.fail_call = -1;
    // A handle still held is let go after the step, with its event.
    if (what == Plugin::kAppendsToTheOpenFile || what == Plugin::kHoldsTheFile) LetGo();
    if (reached && what == Plugin::kDiesThenAppends) fs.PluginAppends(kPath, NextEvent());
    if (reached && what == Plugin::kPowerFails) fs.PowerFails();
    return reached;
  }

  void Trim() {
    std::uint64_t size = 0;
    if (message::QueryEventFileSize(fs, kPath, size)) message::TrimEventFile(fs, kPath, size);
  }

  // The next start and one opening of the list; then the checks.
  void StartAndOpen() {
    std::uint64_t size = 0;
    message::FinishEventFileTrim(fs, kPath);
    ASSERT_TRUE(message::QueryEventFileSize(fs, kPath, size)) << "there are events";
    message::FinishEventFileTrim(fs, kPath);
    ASSERT_TRUE(message::QueryEventFileSize(fs, kPath, size));
    const auto trimmed = message::TrimEventFile(fs, kPath, size);
    EXPECT_EQ(trimmed, fs.files[kPath].size());

    // The file holds the newest events, each once, in the order written,
    // from a record start on: a tail of all events ever written.
    const std::string content = Unshift(fs.files[kPath]);
    std::size_t first = written_.size();
    for (std::size_t bytes = 0; first > 0 && bytes < content.size();) {
      bytes += written_[--first].size();
    }
    const std::string newest = Join({written_.begin() + first, written_.end()});
    EXPECT_TRUE(content == newest)
        << "the file differs from the newest events from byte "
        << std::mismatch(content.begin(), content.end(), newest.begin(), newest.end()).first -
               content.begin();
    EXPECT_LE(content.size(), EVENT_FILE_KEEP_BYTES);
    std::vector<std::string> names;
    for (const auto& file : fs.files) names.push_back(file.first);
    EXPECT_EQ(names, (std::vector<std::string>{kPath, kArchive})) << "no file of the trim is left";
    EXPECT_EQ(fs.files[kArchive], "Archiv");
  }

  FakeEventFileSystem fs;

 private:
  static constexpr int kNone = -1;
  std::vector<std::string> written_;  // every event, framed, in the order written
  int holder_ = kNone;

  // The held handle appends the plug-in's event and is let go.
  void LetGo() {
    if (holder_ == kNone) return;
    fs.HolderAppends(holder_, NextEvent());
    fs.Release(holder_);
    holder_ = kNone;
  }
};

const std::pair<Plugin, const char*> kEveryWay[] = {
    {Plugin::kAppendsToTheOpenFile, "appends to the open file"},
    {Plugin::kAppendsByName, "appends by name"},
    {Plugin::kDies, "dies"},
    {Plugin::kDiesThenAppends, "dies, then an append"},
    {Plugin::kPowerFails, "the power fails"},
    {Plugin::kCallFails, "the call fails"},
    {Plugin::kHoldsTheFile, "holds the file from"},
};

// Every call of the trim, and every call of the finish after a trim that
// ended at any of its calls (with or without an event appended by name
// before the next start), meets each of the plug-in's ways, on a file system
// that keeps a renamed file's index and on one that renumbers it (FAT).
TEST(TrimEventFile, EveryStepBesideThePluginEndsWithEveryEventOnceInOrder) {
  for (const bool fat : {false, true})
    for (const auto& [what, name] : kEveryWay) {
      SCOPED_TRACE(fat ? "renumbered when renamed" : "its index kept when renamed");
      for (int at = 0;; ++at) {
        SCOPED_TRACE(std::string(name) + " at trim call " + std::to_string(at));
        Scene scene(fat);
        const bool reached = scene.Step([&] { scene.Trim(); }, what, at);
        scene.StartAndOpen();
        if (HasFailure()) return;
        if (!reached) break;
      }
      // The plug-in writes one event after the other: one it appends through
      // a handle it opened before the trim comes before any it appends by
      // name later.
      const bool holds = what == Plugin::kAppendsToTheOpenFile;
      for (const auto& [ending, ending_name] : {kEveryWay[2], kEveryWay[3]}) {
        if (holds && ending == Plugin::kDiesThenAppends) continue;
        for (int ended = 0;; ++ended) {
          bool trim_ended = false;
          for (int at = 0;; ++at) {
            SCOPED_TRACE(std::string(name) + " at finish call " + std::to_string(at) +
                         " after the trim " + ending_name + " at call " + std::to_string(ended));
            Scene scene(fat);
            if (holds) scene.HoldFromNow();
            trim_ended = scene.Step([&] { scene.Trim(); }, ending, ended);
            if (!trim_ended) break;
            const bool reached =
                scene.Step([&] { message::FinishEventFileTrim(scene.fs, kPath); }, what, at);
            scene.StartAndOpen();
            if (!reached || HasFailure()) break;
          }
          if (HasFailure()) return;
          if (!trim_ended) break;
        }
      }
    }
}

// A virus scanner holds the event file, or the new copy, for a moment
// without sharing its deletion: the renames are tried again after growing
// pauses, and the trim finishes in this opening; held for longer, the file
// stays whole in its place, with no file of the trim.
TEST(TrimEventFile, ARenameHeldForAMomentIsTriedAgainAfterGrowingPauses) {
  struct Case {
    const char* name;
    const std::string& held;
    int pauses;  // until the scanner lets go
    bool trims;
  };
  for (const Case& c : {Case{"the event file, for one pause", kPath, 1, true},
                        Case{"the event file, for four pauses", kPath, 4, true},
                        Case{"the event file, for longer", kPath, 5, false},
                        Case{"the copy, for two pauses", kFiles.kept, 2, true}}) {
    SCOPED_TRACE(c.name);
    Scene scene;
    FakeEventFileSystem& fs = scene.fs;
    const std::string before = fs.files[kPath];
    int scanner = -1;
    const auto scan = [&] {
      if (scanner < 0 && fs.files.count(c.held)) scanner = fs.Hold(c.held, false);
    };
    scan();
    fs.on_write = [&](const std::string&) { scan(); };
    fs.on_pause = [&] {
      if (static_cast<int>(fs.pauses.size()) == c.pauses) fs.Release(scanner);
    };
    scene.Trim();
    fs.on_write = nullptr;
    const std::vector<std::uint32_t> all{20, 40, 80, 160};
    EXPECT_EQ(fs.pauses,
              std::vector<std::uint32_t>(all.begin(), all.begin() + std::min(c.pauses, 4)));
    EXPECT_EQ(fs.files[kPath].size() <= EVENT_FILE_KEEP_BYTES, c.trims);
    if (!c.trims) {
      EXPECT_EQ(fs.files[kPath], before);
    }
    fs.Release(scanner);
    scene.StartAndOpen();
  }
}

// Files that only bear a trim's names, or an archive, are no trim's: they
// stay as they are, and while one holds a name the trim needs, no trim
// starts (the list still shows the newest events only). A record left empty
// by a run that ended while writing it, with nothing else, goes.
TEST(TrimEventFile, LeavesFilesThatOnlyBearATrimsNames) {
  const std::string long_file = Shift(FrameRecords(SampleEvents(EVENT_FILE_KEEP_BYTES + 2000)));
  struct Case {
    const char* name;
    std::map<std::string, std::string> planted;
    bool event_file, trims;
  };
  const Case cases[] = {
      {"an archive without the event file", {{kArchive, "Archiv"}}, false, false},
      {"an archive", {{kArchive, "Archiv"}}, true, true},
      {"an earlier version's files",
       {{kPath + ".tmp", "t"}, {kPath + ".bak", "b"}, {kPath + ".pos", "0 0 1"}},
       true,
       true},
      {"a file named as the copy", {{kFiles.kept, "privat"}}, true, false},
      {"a file named as the old file", {{kFiles.old, "privat"}}, true, false},
      {"a file named as the next record", {{kFiles.next_record, "privat"}}, true, false},
      {"a record of another program", {{kFiles.record, "copy 1 2"}}, true, false},
      {"a record a run left empty, beside a file named as the copy",
       {{kFiles.record, ""}, {kFiles.kept, "privat"}},
       true,
       false},
      {"a record a run left empty", {{kFiles.record, std::string(3, '\0')}}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEventFileSystem fs;
    fs.files = c.planted;
    if (c.event_file) fs.files[kPath] = long_file;
    std::uint64_t size = 0;
    message::FinishEventFileTrim(fs, kPath);
    ASSERT_EQ(message::QueryEventFileSize(fs, kPath, size), c.event_file);
    if (c.event_file) {
      const auto trimmed = message::TrimEventFile(fs, kPath, size);
      EXPECT_EQ(trimmed, c.trims ? fs.files[kPath].size() : long_file.size());
      EXPECT_EQ(trimmed.value_or(0) <= EVENT_FILE_KEEP_BYTES, c.trims);
      fs.largest_read = 0;
      EXPECT_TRUE(message::FormatEventList(fs, kPath, *trimmed, nullptr).has_value());
      EXPECT_LE(fs.largest_read, EVENT_FILE_KEEP_BYTES);
    }
    std::map<std::string, std::string> expected = c.planted;
    if (c.trims) expected.erase(kFiles.record);
    if (c.event_file) expected[kPath] = fs.files[kPath];
    EXPECT_EQ(fs.files, expected);
  }
}

// A file that cannot be read, or that is cut or made anew under the trim,
// is left as it is, with no file of the trim.
TEST(TrimEventFile, LeavesAFileThatIsUnreadableOrChangesUnderIt) {
  const std::string stored = Shift(FrameRecords(SampleEvents(EVENT_FILE_KEEP_BYTES + 5000)));
  const std::string now_short = Shift(FrameRecords(SampleEvents(300, 900)));
  const std::string now_long = Shift(FrameRecords(SampleEvents(30000, 900)));
  struct Case {
    const char* name;
    bool unreadable, anew;
    const std::string& now;  // what the file becomes once the trim wrote its record
  };
  for (const Case& c :
       {Case{"unreadable", true, false, stored}, Case{"cut", false, false, now_short},
        Case{"made anew", false, true, now_long}}) {
    SCOPED_TRACE(c.name);
    FakeEventFileSystem fs;
    fs.files[kPath] = stored;
    if (c.unreadable) fs.unreadable.insert(kPath);
    fs.on_write = [&](const std::string& path) {
      if (path != kFiles.record) return;
      if (c.anew) fs.Remove(kPath);
      fs.files[kPath] = c.now;
    };
    EXPECT_EQ(message::TrimEventFile(fs, kPath, stored.size()), c.now.size());
    EXPECT_EQ(fs.files[kPath], c.now);
    EXPECT_EQ(fs.files.size(), 1u);
  }
}

}  // namespace
