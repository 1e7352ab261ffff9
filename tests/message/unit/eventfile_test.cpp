#include "eventfile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "EventWriter.h"
#include "FakeEventFileSystem.h"

namespace {

using message::EVENT_FILE_KEEP_BYTES;
using message::EVENT_SEPARATOR_LINE;
using message_test::EventRecord;
using message_test::FakeEventFileSystem;
using message_test::FrameRecord;
using message_test::FrameRecords;
using message_test::SampleEvents;
using message_test::Shift;
using message_test::Unshift;

const std::string kPath = "C:\\Programme\\Message\\QsStat.sta";

// A well-formed record whose framed length is exactly `length` (>= 11).
EventRecord RecordOfLength(std::size_t length, char fill) {
  EventRecord r;
  for (auto& f : r) f = std::string(1, fill);
  r[7] = std::string(length - 20, fill);
  return r;
}

std::string Layout(const std::string& content, std::vector<std::optional<int>>* hooks = nullptr) {
  return message::LayoutEventContent(content, [&](std::optional<int> q) {
    if (hooks) hooks->push_back(q);
  });
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(EventFilePath, IsTheFileBesideTheProgramAndNoneWithoutItsFolder) {
  EXPECT_EQ(message::GetEventFilePath("C:\\Programme\\Message"), kPath);
  FakeEventFileSystem fs;
  fs.files["\\QsStat.sta"] = "x";
  std::uint64_t size = 0;
  // A folder path too long to be read.
  EXPECT_FALSE(message::QueryEventFileSize(fs, message::GetEventFilePath(""), size));
}

TEST(EventFileSize, ReportsLengthAndFailsForAMissingFile) {
  FakeEventFileSystem fs;
  std::uint64_t size = 77;
  EXPECT_FALSE(message::QueryEventFileSize(fs, kPath, size));
  fs.files[kPath] = "";
  EXPECT_TRUE(message::QueryEventFileSize(fs, kPath, size));
  EXPECT_EQ(size, 0u);
  fs.files[kPath] = std::string(25000, 'x');
  EXPECT_TRUE(message::QueryEventFileSize(fs, kPath, size));
  EXPECT_EQ(size, 25000u);
}

TEST(EventBytes, ShiftRoundTripsAndZeroDecodesAsBlank) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(message::DecodeEventBytes(message::EncodeEventBytes(all)), all);
  EXPECT_EQ(message::DecodeEventBytes(Shift(std::string("a\0b", 3))), "a b");
  EXPECT_EQ(message::EncodeEventBytes("a"), Shift("a"));
}

// ---- trimming ---------------------------------------------------------------

TEST(TrimEventFile, KeepsAFileOfExactlyTheLimit) {
  const std::string content =
      FrameRecord(RecordOfLength(10000, 'a')) + FrameRecord(RecordOfLength(10000, 'b'));
  ASSERT_EQ(content.size(), EVENT_FILE_KEEP_BYTES);
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(content);
  EXPECT_EQ(message::TrimEventFile(fs, kPath, content.size()), EVENT_FILE_KEEP_BYTES);
  EXPECT_EQ(fs.files[kPath], Shift(content));
  EXPECT_EQ(fs.writes, 0);
}

TEST(TrimEventFile, CutsOneByteOverAtTheFirstRecordStartAfterIndexZero) {
  const std::string first = FrameRecord(RecordOfLength(100, 'a'));
  const std::string rest =
      FrameRecord(RecordOfLength(9901, 'b')) + FrameRecord(RecordOfLength(10000, 'c'));
  ASSERT_EQ((first + rest).size(), EVENT_FILE_KEEP_BYTES + 1);
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(first + rest);
  EXPECT_EQ(message::TrimEventFile(fs, kPath, 20001), rest.size());
  // The file holds the shifted kept tail and nothing else, and reads back the same.
  EXPECT_EQ(fs.files[kPath], Shift(rest));
  EXPECT_EQ(message::DecodeEventBytes(fs.files[kPath]), rest);
  EXPECT_EQ(fs.files.size(), 1u) << "no temporary file is left behind";
}

TEST(TrimEventFile, TheCutMayStartExactlyAtSizeMinusTheLimit) {
  // size 20002: the search starts at index 2. A record start there is kept
  // (>=, not >); the one at index 1 lies before it and is not.
  const std::string tail = FrameRecord(RecordOfLength(10000, 'b')) +
                           FrameRecord(RecordOfLength(5000, 'c')) +
                           FrameRecord(RecordOfLength(5000, 'd'));
  ASSERT_EQ(tail.size(), EVENT_FILE_KEEP_BYTES);
  const std::string content = std::string("\x03\x02") + tail;
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(content);
  EXPECT_EQ(message::TrimEventFile(fs, kPath, content.size()), EVENT_FILE_KEEP_BYTES);
  EXPECT_EQ(fs.files[kPath], Shift(tail));
}

TEST(TrimEventFile, DropsOldRecordsWholeAndKeepsTheNewestInOrder) {
  const auto records = SampleEvents(25000);
  const std::string content = FrameRecords(records);
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(content);
  const std::uint64_t size = message::TrimEventFile(fs, kPath, content.size()).value();
  EXPECT_LE(size, EVENT_FILE_KEEP_BYTES);
  ASSERT_EQ(fs.files[kPath].size(), size);
  // The kept part is a run of whole records ending with the newest one.
  const std::string kept = Unshift(fs.files[kPath]);
  ASSERT_EQ(content.compare(content.size() - kept.size(), kept.size(), kept), 0);
  const std::size_t dropped = Count(content.substr(0, content.size() - kept.size()), "\x02");
  const std::vector<EventRecord> newest(records.begin() + dropped, records.end());
  EXPECT_EQ(kept, FrameRecords(newest));
  // The smallest cut: one more record would not fit.
  EXPECT_GT(kept.size() + FrameRecord(records[dropped - 1]).size(), EVENT_FILE_KEEP_BYTES);
  EXPECT_EQ(message::FormatEventList(fs, kPath, size, nullptr),
            message_test::ExpectedListText(newest));
}

TEST(TrimEventFile, WritesDecodedZeroBytesBackAsBlanks) {
  std::string content =
      std::string(1, '\x02') + std::string(100, 'a') + '\x03' + '\x02' + std::string(19990, 'b');
  content[150] = '\0';
  content.back() = '\x03';
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(content);
  message::TrimEventFile(fs, kPath, content.size());
  std::string expected = content.substr(102);
  expected[150 - 102] = ' ';
  EXPECT_EQ(fs.files[kPath], Shift(expected));
}

TEST(TrimEventFile, KeepsAFileWithoutARecordStartInItsLastPart) {
  const std::string content = "\x02" + std::string(30000, 'x') + "\x03";
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(content);
  EXPECT_EQ(message::TrimEventFile(fs, kPath, content.size()), content.size());
  EXPECT_EQ(fs.files[kPath], Shift(content));
  EXPECT_EQ(fs.writes, 0);
}

// ---- layout -----------------------------------------------------------------

TEST(LayoutEventContent, GivesThreeLinesPerRecordWithSeparatorsBetween) {
  for (std::size_t count : {1u, 2u, 3u}) {
    std::vector<EventRecord> records;
    for (std::size_t i = 0; i < count; ++i) records.push_back(message_test::SampleEvent(i));
    const std::string text = Layout(FrameRecords(records));
    EXPECT_EQ(text, message_test::ExpectedListText(records));
    EXPECT_EQ(Count(text, EVENT_SEPARATOR_LINE), count - 1);
    EXPECT_EQ(text.substr(text.size() - 3), records.back()[9].substr(14) + "\n\n");
  }
}

TEST(LayoutEventContent, ExactTextOfTwoRecords) {
  const EventRecord a{"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9", "a10"};
  const EventRecord b{"b1", "b2", "b3", "b4", "b5", "b6", "b7", "b8", "b9", "b10"};
  EXPECT_EQ(Layout(FrameRecords({a, b})),
            "a1    a2    a3    a4    a5    a6    \na7    a8    \na9    a10\n" +
                std::string(103, '-') +
                "\nb1    b2    b3    b4    b5    b6    \nb7    b8    \nb9    b10\n\n");
}

TEST(LayoutEventContent, SkipsTheFirstByteAndTheByteAfterEveryEtx) {
  // Whatever stands at index 0 and after an ETX is taken as a record start.
  EXPECT_EQ(Layout("Xa\tb\x03Yc\td\x03"), "a    b" + EVENT_SEPARATOR_LINE + "c    d\n\n");
}

TEST(LayoutEventContent, FieldCounterRunsOnAcrossRecords) {
  // The first record has nine fields (eight TABs): the line feeds of the
  // next record move by one field.
  const std::string content =
      "\x02"
      "a\tb\tc\td\te\tf\tg\th\ti\x03"
      "\x02"
      "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\x03";
  EXPECT_EQ(Layout(content), "a    b    c    d    e    f    \ng    h    \ni" +
                                 EVENT_SEPARATOR_LINE +
                                 "0    1    2    3    4    5    6    \n7    8    \n9\n\n");
}

TEST(LayoutEventContent, ShowsAZeroByteAsBlank) {
  message_test::FakeEventFileSystem fs;
  fs.files[kPath] =
      Shift(std::string("\x02"
                        "a\0b\tc\x03",
                        7));
  EXPECT_EQ(message::FormatEventList(fs, kPath, 7, nullptr), "a b    c\n\n");
}

TEST(LayoutEventContent, ReportsTheShareUpToTheNextEtx) {
  // Two records of 50 bytes: ETX at 49 and 99, n = 100.
  const std::string content =
      FrameRecord(RecordOfLength(50, 'a')) + FrameRecord(RecordOfLength(50, 'b'));
  std::vector<std::optional<int>> hooks;
  Layout(content, &hooks);
  // One step per TAB, and one for the last field; the step that crosses the
  // first record's end still reports that end.
  ASSERT_EQ(hooks.size(), 19u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(hooks[i], 49) << i;
  for (int i = 10; i < 19; ++i) EXPECT_EQ(hooks[i], 99) << i;
}

TEST(LayoutEventContent, WithoutAFurtherEtxReportsZeroOrNoValue) {
  std::vector<std::optional<int>> hooks;
  EXPECT_EQ(Layout("\x02"
                   "a\tb",
                   &hooks),
            "a    b\n\n");  // n = 4 <= 100
  EXPECT_EQ(hooks, (std::vector<std::optional<int>>{std::nullopt, std::nullopt}));
  hooks.clear();
  Layout("\x02" + std::string(200, 'x') + "\ty", &hooks);  // n = 203 > 100
  EXPECT_EQ(hooks, (std::vector<std::optional<int>>{0, 0}));
}

TEST(LayoutEventContent, MalformedFramingStaysInBounds) {
  // A TAB directly after an ETX: the TAB is taken as the record start.
  EXPECT_EQ(Layout("\x02"
                   "a\x03\tb\x03"),
            "a" + EVENT_SEPARATOR_LINE + "b\n\n");
  // A TAB after the last ETX: the fields run to the next separator or the end.
  EXPECT_EQ(Layout("\x02"
                   "a\tb\x03"
                   "c\td"),
            "a    b" + EVENT_SEPARATOR_LINE + "    d\n\n");
  // No ETX at the end, no STX at all.
  EXPECT_EQ(Layout("\x02"
                   "a\tb\tc"),
            "a    b    c\n\n");
  EXPECT_EQ(Layout("abc"), "bc\n\n");
  // ETX as the last byte, and a lone byte.
  EXPECT_EQ(Layout("\x02"
                   "a\x03"),
            "a\n\n");
  EXPECT_EQ(Layout("\x02"), "\n\n");
}

TEST(LayoutEventContent, LongMalformedRunsFinish) {
  // Would take hours if every step searched the whole rest of the content.
  std::size_t steps = 0;
  const auto count = [&](std::optional<int>) { ++steps; };
  const std::string tabs(1000000, '\t');
  EXPECT_GT(message::LayoutEventContent(tabs, count).size(), tabs.size());
  EXPECT_EQ(steps, tabs.size());
  std::string fields;
  for (int i = 0; i < 300000; ++i) fields += "ab\t";
  EXPECT_EQ(Count(message::LayoutEventContent("\x02" + fields, nullptr), "ab    "), 300000u);
}

TEST(FormatEventList, EmptyFileGivesAnEmptyList) {
  FakeEventFileSystem fs;
  fs.files[kPath] = "";
  int hooks = 0;
  EXPECT_EQ(message::FormatEventList(fs, kPath, 0, [&](std::optional<int>) { ++hooks; }), "");
  EXPECT_EQ(hooks, 0);
}

TEST(FormatEventList, LaysOutTheMeasuredSizeOnlyAndNothingWhenUnreadable) {
  const auto records = SampleEvents(1000);
  const std::string first = FrameRecords(records);
  FakeEventFileSystem fs;
  fs.files[kPath] = Shift(first) + Shift(FrameRecord(message_test::SampleEvent(99)));
  EXPECT_EQ(message::FormatEventList(fs, kPath, first.size(), nullptr),
            message_test::ExpectedListText(records));
  fs.unreadable.insert(kPath);
  EXPECT_FALSE(message::FormatEventList(fs, kPath, first.size(), nullptr).has_value());
}

// One opening reads and lays out no more than the newest 20000 bytes, from
// the first record start in them, whether or not the file could be trimmed.
TEST(FormatEventList, ReadsOnlyTheNewestBytesWhateverTheFileSize) {
  const auto old_records = SampleEvents(200000);
  const auto newest = SampleEvents(300, 900);
  const std::string framed = FrameRecords(old_records) + FrameRecords(newest);
  const std::string untrimmable = "\x02" + std::string(1000000, 'x') + "\x03";
  for (const std::string& content : {framed, untrimmable}) {
    FakeEventFileSystem fs;
    fs.files[kPath] = Shift(content);
    const auto text = message::FormatEventList(fs, kPath, content.size(), nullptr);
    ASSERT_TRUE(text.has_value());
    EXPECT_LE(fs.largest_read, EVENT_FILE_KEEP_BYTES);
    const std::string last = content.substr(content.size() - EVENT_FILE_KEEP_BYTES);
    const size_t start = last.find('\x02');
    EXPECT_EQ(*text, Layout(start == std::string::npos ? last : last.substr(start)));
  }
}

}  // namespace
