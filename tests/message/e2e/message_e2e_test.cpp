// Message.exe end to end under Wine: each test runs a copy of the real
// program in a folder of its own, with the event file beside it, and drives
// its windows from here.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "EventWriter.h"

namespace {

using e2e::Program;
using message_test::EventRecord;

const std::string kMainCaption = "Q-DAS (qs-STAT) Ereignisanzeige zu Calyrix K9Q2";
const std::string kListCaption = "Q-DAS (qs-STAT) Ereignis-Liste";
const std::string kNoEventsCaption = "Keine Ereignisse vorhanden";
const std::string kNoEventsText =
    "Bisher gab es noch keine Ereignisse des Quorlen Q-DAS (qs-STAT) Plug-In's f\xFCr Calyrix !";
const std::string kOpen =
    "Ereignisliste \xF6"
    "ffnen";
const std::string kQuit =
    "Schlie\xDF"
    "en";

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

HWND ChildOfClass(HWND parent, const std::string& class_name) {
  for (HWND c : e2e::Descendants(parent)) {
    if (_stricmp(e2e::ClassOf(c).c_str(), class_name.c_str()) == 0) return c;
  }
  return nullptr;
}

std::vector<HWND> ListWindows(DWORD pid) {
  std::vector<HWND> out;
  for (HWND h : e2e::TopWindows(pid)) {
    if (e2e::Text(h) == kListCaption) out.push_back(h);
  }
  return out;
}

// A visible top-level window of any process (the help viewer's dialogs are
// not Message's own).
struct AnyTopCtx {
  const std::string& cls;
  const std::string& caption;
  HWND found;
};
BOOL CALLBACK MatchAnyTop(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<AnyTopCtx*>(lp);
  if (IsWindowVisible(h) && e2e::ClassOf(h) == c->cls && e2e::Text(h) == c->caption) {
    c->found = h;
    return FALSE;
  }
  return TRUE;
}
HWND FindAnyTopWindow(const std::string& class_name, const std::string& caption) {
  AnyTopCtx ctx{class_name, caption, nullptr};
  EnumWindows(MatchAnyTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

class MessageE2E : public ::testing::Test {
 protected:
  MessageE2E() : dir_(e2e::TestWorkDir()) {
    exe_ = dir_ / "Message.exe";
    CopyFileA(e2e::WinPath(MESSAGE_EXE).c_str(), exe_.c_str(), FALSE);
  }

  std::string EventFile() const { return dir_ / "QsStat.sta"; }
  void WriteEvents(const std::vector<EventRecord>& records) {
    ASSERT_TRUE(
        e2e::WriteFileBytes(EventFile(), message_test::Shift(message_test::FrameRecords(records))));
  }

  // Starts the program and waits for its main window.
  HWND StartToMainWindow() {
    program_ = Program::Start(exe_);
    HWND main = e2e::WaitForTopWindow(program_.Pid(), "", kMainCaption);
    EXPECT_NE(main, nullptr);
    return main;
  }

  // Clicks "Ereignisliste öffnen" and waits for one more list window.
  HWND OpenList(HWND main) {
    const std::size_t before = ListWindows(program_.Pid()).size();
    e2e::Click(e2e::FindChild(main, "Button", kOpen));
    std::vector<HWND> lists;
    e2e::WaitUntil([&] { return (lists = ListWindows(program_.Pid())).size() > before; });
    EXPECT_EQ(lists.size(), before + 1);
    if (lists.size() <= before) return nullptr;
    for (HWND h : lists) {
      if (h != nullptr &&
          std::find(known_lists_.begin(), known_lists_.end(), h) == known_lists_.end()) {
        known_lists_.push_back(h);
        return h;
      }
    }
    return nullptr;
  }

  void QuitWithZero(HWND main) {
    e2e::Click(e2e::FindChild(main, "Button", kQuit));
    EXPECT_EQ(program_.Wait(), 0u);
  }

  e2e::WorkDir dir_;
  std::string exe_;
  Program program_;
  std::vector<HWND> known_lists_;
};

TEST_F(MessageE2E, WithoutEventFileShowsTheNoticeAndEndsWithMinusOne) {
  program_ = Program::Start(exe_);
  const auto text = e2e::AnswerMessageBox(program_.Pid(), kNoEventsCaption);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, kNoEventsText);
  EXPECT_EQ(e2e::FindTopWindow(program_.Pid(), "", kMainCaption, false), nullptr);
  // GetExitCodeProcess gives the whole code: -1 arrives as 0xFFFFFFFF.
  EXPECT_EQ(program_.Wait(), 0xFFFFFFFFu);
}

TEST_F(MessageE2E, SecondInstanceEndsSilentlyWithZero) {
  WriteEvents(message_test::SampleEvents(500));
  HWND main = StartToMainWindow();
  Program second = Program::Start(exe_);
  EXPECT_EQ(second.Wait(), 0u);
  EXPECT_EQ(e2e::TopWindows(program_.Pid()).size(), 1u) << "the first is not brought forward";
  QuitWithZero(main);
}

TEST_F(MessageE2E, MainWindowShowsItsControlsAsLaidOut) {
  WriteEvents(message_test::SampleEvents(500));
  HWND main = StartToMainWindow();
  const RECT client = e2e::ClientRect(main);
  EXPECT_EQ(client.right, 481);  // the design size on a 1024 x 768 desktop
  EXPECT_EQ(client.bottom, 346);
  const RECT frame = e2e::WindowRectOf(main);
  EXPECT_NEAR((frame.left + frame.right) / 2, 512, 2) << "centred";

  struct Expected {
    const char* cls;
    std::string text;
    int top, left, height, width;
    bool visible;
  };
  const Expected rows[] = {
      {"Button", kOpen, 297, 312, 28, 140, true},
      {"Button", kQuit, 297, 34, 28, 140, true},
      {"Button", "?", 295, 226, 28, 29, true},
      {"Static", "Ereignis im Q-DAS Plug-In ! ", 126, 53, 38, 382, true},
      {"Static",
       "F\xFCr Details dr\xFC"
       "cken Sie bitte\ndie Taste 'Ereignisliste \xF6"
       "ffnen'.",
       167, 97, 52, 288, true},
      {"Static", "Bitte warten ...", 232, 190, 18, 93, false},
  };
  for (const auto& row : rows) {
    HWND c = e2e::FindChild(main, row.cls, row.text);
    ASSERT_NE(c, nullptr) << row.text;
    const RECT r = e2e::RectInParent(c);
    EXPECT_EQ(r.top, row.top) << row.text;
    EXPECT_EQ(r.left, row.left) << row.text;
    EXPECT_EQ(r.bottom - r.top, row.height) << row.text;
    EXPECT_EQ(r.right - r.left, row.width) << row.text;
    EXPECT_EQ(e2e::Visible(c), row.visible) << row.text;
  }
  HWND slide = ChildOfClass(main, "msctls_progress32");
  ASSERT_NE(slide, nullptr);
  EXPECT_FALSE(e2e::Visible(slide));
  EXPECT_FALSE(e2e::Visible(e2e::FindChild(main, "Static", "Fortschritt:")));
  // The tab order starts at "Ereignisliste öffnen".
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return FocusOf(main) == e2e::FindChild(main, "Button", kOpen); }));
  QuitWithZero(main);
}

TEST_F(MessageE2E, ListWindowShowsItsControlsAsLaidOut) {
  WriteEvents(message_test::SampleEvents(3000));
  HWND main = StartToMainWindow();
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  const RECT client = e2e::ClientRect(list);
  EXPECT_EQ(client.right, 620);  // unset adjustment: the list keeps its design size
  EXPECT_EQ(client.bottom, 378);
  const RECT frame = e2e::WindowRectOf(list);
  EXPECT_NEAR((frame.left + frame.right) / 2, 512, 2) << "centred";
  EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));

  HWND text = ChildOfClass(list, "Edit");
  ASSERT_NE(text, nullptr);
  RECT r = e2e::RectInParent(text);
  EXPECT_EQ(r.top, 28);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom - r.top, 274);
  EXPECT_EQ(r.right - r.left, 600);
  const LONG style = GetWindowLongA(text, GWL_STYLE);
  EXPECT_TRUE((style & WS_HSCROLL) && (style & WS_VSCROLL)) << "both scroll bars";
  EXPECT_TRUE(style & ES_READONLY) << "display only";

  HWND close = e2e::FindChild(list, "Button", "Beenden");
  ASSERT_NE(close, nullptr);
  r = e2e::RectInParent(close);
  EXPECT_EQ(r.top, 317);
  EXPECT_EQ(r.left, 264);
  EXPECT_EQ(r.bottom - r.top, 29);
  EXPECT_EQ(r.right - r.left, 111);
  // Stacking front to back CLOSE, TEXT; tab order TEXT first.
  EXPECT_EQ(GetWindow(list, GW_CHILD), close);
  EXPECT_EQ(GetWindow(close, GW_HWNDNEXT), text);
  EXPECT_TRUE(e2e::WaitUntil([&] { return FocusOf(list) == text; }));
  QuitWithZero(main);
}

TEST_F(MessageE2E, OpeningTheListTrimsTheFileAndShowsTheNewestEvents) {
  // Exactly 25000 bytes: the last record's description fills up the rest.
  auto records = message_test::SampleEvents(24500);
  records.back()[7] += std::string(25000 - message_test::FrameRecords(records).size(), '.');
  ASSERT_EQ(message_test::FrameRecords(records).size(), 25000u);
  WriteEvents(records);

  HWND main = StartToMainWindow();
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  const auto stored = e2e::ReadFileBytes(EventFile());
  ASSERT_TRUE(stored.has_value());
  EXPECT_LE(stored->size(), 20000u);
  const std::string kept = message_test::Unshift(*stored);
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept[0], '\x02');
  // The kept part is the newest whole records.
  std::vector<EventRecord> newest;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (message_test::FrameRecords(newest).size() + message_test::FrameRecord(*it).size() > 20000) {
      break;
    }
    newest.insert(newest.begin(), *it);
  }
  EXPECT_EQ(kept, message_test::FrameRecords(newest));
  EXPECT_EQ(e2e::Text(ChildOfClass(list, "Edit")), Crlf(message_test::ExpectedListText(newest)));

  // Back to idle: both buttons take clicks again, the progress is hidden.
  EXPECT_TRUE(IsWindowEnabled(e2e::FindChild(main, "Button", kOpen)));
  EXPECT_TRUE(IsWindowEnabled(e2e::FindChild(main, "Button", kQuit)));
  EXPECT_FALSE(e2e::Visible(ChildOfClass(main, "msctls_progress32")));
  EXPECT_FALSE(e2e::Visible(e2e::FindChild(main, "Static", "Bitte warten ...")));

  // Opening again without new events shows the same and leaves the file.
  HWND again = OpenList(main);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(e2e::ReadFileBytes(EventFile()), stored);
  EXPECT_EQ(e2e::Text(ChildOfClass(again, "Edit")), e2e::Text(ChildOfClass(list, "Edit")));
  QuitWithZero(main);
}

TEST_F(MessageE2E, EmptyEventFileShowsAnEmptyList) {
  ASSERT_TRUE(e2e::WriteFileBytes(EventFile(), ""));
  HWND main = StartToMainWindow();
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(e2e::Text(ChildOfClass(list, "Edit")), "");
  QuitWithZero(main);
}

TEST_F(MessageE2E, EventFileDeletedAfterStartShowsTheNoticeThenEndsWithZero) {
  WriteEvents(message_test::SampleEvents(500));
  HWND main = StartToMainWindow();
  ASSERT_TRUE(DeleteFileA(EventFile().c_str()));
  e2e::Click(e2e::FindChild(main, "Button", kOpen));
  const auto text = e2e::AnswerMessageBox(program_.Pid(), kNoEventsCaption);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, kNoEventsText);
  EXPECT_EQ(program_.Wait(), 0u);
  EXPECT_FALSE(e2e::FileExists(EventFile())) << "the file is not created";
}

TEST_F(MessageE2E, WhileLoadingTheButtonsAreDimmedAndTheProgressShows) {
  // No record start in the last 20000 bytes: the file is kept whole, and its
  // many fields make the loading last a few seconds. Each block ends with an
  // ETX and one byte that the layout skips.
  std::string content = "\x02";
  for (int block = 0; block < 25; ++block) {
    for (int i = 0; i < 1000; ++i) content += "ab\t";
    content += "cd\x03x";
  }
  const std::string stored = message_test::Shift(content);
  ASSERT_TRUE(e2e::WriteFileBytes(EventFile(), stored));

  HWND main = StartToMainWindow();
  HWND open = e2e::FindChild(main, "Button", kOpen);
  HWND quit = e2e::FindChild(main, "Button", kQuit);
  HWND help = e2e::FindChild(main, "Button", "?");
  HWND slide = ChildOfClass(main, "msctls_progress32");
  HWND wait = e2e::FindChild(main, "Static", "Bitte warten ...");
  ASSERT_TRUE(open && quit && help && slide && wait);
  e2e::Click(open);
  // The label and the bar are shown one after the other: wait for both.
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Visible(wait) && e2e::Visible(slide); }));
  EXPECT_TRUE(e2e::Visible(e2e::FindChild(main, "Static", "Fortschritt:")));
  EXPECT_FALSE(IsWindowEnabled(open));
  EXPECT_FALSE(IsWindowEnabled(quit));
  EXPECT_TRUE(IsWindowEnabled(help));
  // The bar moves on with the share of the content laid out.
  EXPECT_TRUE(e2e::WaitUntil([&] { return SendMessageA(slide, PBM_GETPOS, 0, 0) > 0; }));
  // Neither Esc, nor the close box, nor a second click ends or restarts it.
  e2e::PressKey(quit, VK_ESCAPE);
  e2e::Close(main);
  e2e::Click(open);

  // Polled without messages to the busy program, which would slow it down.
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(open) != FALSE; }, 120000));
  HWND list = e2e::WaitForTopWindow(program_.Pid(), "", kListCaption);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(program_.Running());
  EXPECT_TRUE(IsWindowEnabled(open));
  EXPECT_TRUE(IsWindowEnabled(quit));
  EXPECT_FALSE(e2e::Visible(wait));
  EXPECT_FALSE(e2e::Visible(slide));
  EXPECT_EQ(e2e::ReadFileBytes(EventFile()), stored) << "kept whole";
  // Only the newest 20000 bytes are laid out, a field gap for every TAB.
  const std::size_t shown = e2e::Text(ChildOfClass(list, "Edit")).size();
  EXPECT_GT(shown, 20000u);
  EXPECT_LT(shown, content.size());
  Sleep(500);
  EXPECT_EQ(ListWindows(program_.Pid()).size(), 1u) << "no second loading";
  QuitWithZero(main);
}

TEST_F(MessageE2E, HelpAsksTheViewerForTheHelpFileAndLeavesBothWindows) {
  WriteEvents(message_test::SampleEvents(3000));
  HWND main = StartToMainWindow();
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  const std::string shown = e2e::Text(ChildOfClass(list, "Edit"));
  e2e::Click(e2e::FindChild(main, "Button", "?"));
  // Wine's viewer has no such file and asks (on Windows WinHelpA returns at
  // once): "&No" (id 7) lets WinHelpA return.
  HWND error = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (error = FindAnyTopWindow("#32770", "ERROR")); }));
  bool names_file = false;
  for (HWND c : e2e::Descendants(error)) {
    if (e2e::Text(c).find("'qsSTAT_d.hlp'") != std::string::npos) names_file = true;
  }
  EXPECT_TRUE(names_file) << "the help file is asked for by its bare name";
  HWND no = GetDlgItem(error, 7);
  ASSERT_NE(no, nullptr);
  e2e::Click(no);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(error); }));

  EXPECT_TRUE(IsWindow(list) && e2e::Visible(list));
  EXPECT_EQ(e2e::Text(ChildOfClass(list, "Edit")), shown);
  EXPECT_TRUE(IsWindowEnabled(e2e::FindChild(main, "Button", kOpen)));
  EXPECT_FALSE(e2e::Visible(e2e::FindChild(main, "Static", "Bitte warten ...")));
  QuitWithZero(main);
}

TEST_F(MessageE2E, EachListWindowClosesItselfByEscButtonOrCloseBox) {
  WriteEvents(message_test::SampleEvents(2000));
  HWND main = StartToMainWindow();
  HWND first = OpenList(main);
  HWND second = OpenList(main);
  HWND third = OpenList(main);
  ASSERT_TRUE(first && second && third);

  // "Beenden" in the oldest closes that one, not the newest.
  e2e::Click(e2e::FindChild(first, "Button", "Beenden"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(first); }));
  EXPECT_TRUE(IsWindow(second) && IsWindow(third));

  // Esc, sent to the text box that has the focus.
  e2e::PressKey(ChildOfClass(second, "Edit"), VK_ESCAPE);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(second); }));
  EXPECT_TRUE(IsWindow(third));

  e2e::Close(third);  // the close box
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(third); }));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(program_.Running());
  QuitWithZero(main);
}

// The button, Esc, the close box, a log-off and an installer that closes the
// program to replace it (after which Windows ends nothing itself) each end
// the program with 0 within 3 s, the event file as it was.
TEST_F(MessageE2E, MainWindowEndsWithZeroByButtonEscCloseBoxOrEndOfSession) {
  WriteEvents(message_test::SampleEvents(500));
  const std::string events = e2e::ReadFileBytes(EventFile()).value_or("");
  QuitWithZero(StartToMainWindow());

  e2e::PressKey(StartToMainWindow(), VK_ESCAPE);
  EXPECT_EQ(program_.Wait(), 0u);

  e2e::Close(StartToMainWindow());
  EXPECT_EQ(program_.Wait(), 0u);

  for (const LPARAM why : {static_cast<LPARAM>(ENDSESSION_LOGOFF), LPARAM{ENDSESSION_CLOSEAPP}}) {
    SCOPED_TRACE(why == static_cast<LPARAM>(ENDSESSION_LOGOFF) ? "log-off" : "installer");
    EXPECT_TRUE(e2e::EndSession(StartToMainWindow(), why));
    EXPECT_EQ(program_.Wait(3000), std::optional<DWORD>(0));
    EXPECT_EQ(e2e::ReadFileBytes(EventFile()), events);
  }
}

// The numbers of a run of numbered events, and whether every event in it
// was whole.
struct Numbered {
  std::vector<int> numbers;
  bool whole = true;
};

Numbered NumbersInFile(const std::string& stored) {
  Numbered out;
  const std::string content = message_test::Unshift(stored);
  for (std::size_t at = 0; at < content.size();) {
    const std::size_t end = content.find('\x03', at);
    const std::string record =
        content.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    std::vector<std::string> fields(1);
    for (char c : record.substr(1, record.size() - 2)) {
      if (c == '\t') {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    if (record.size() != message_test::kNumberedEventBytes || record[0] != '\x02' ||
        record.back() != '\x03' || fields.size() != 10) {
      out.whole = false;
      return out;
    }
    out.numbers.push_back(std::atoi(fields[5].c_str()));
    at += record.size();
  }
  return out;
}

// The numbers of the events a list window shows: each record's value
// follows "Wert:" and a field gap.
std::vector<int> NumbersInList(const std::string& text) {
  std::vector<int> out;
  const std::string label = "Wert:    ";
  for (std::size_t at = text.find(label); at != std::string::npos; at = text.find(label, at + 1)) {
    out.push_back(std::atoi(text.c_str() + at + label.size()));
  }
  return out;
}

// Pairs of neighbours out of order, and events missing between neighbours.
void CountDisorder(const std::vector<int>& numbers, int& swaps, int& gaps) {
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    if (numbers[i] < numbers[i - 1]) ++swaps;
    if (numbers[i] > numbers[i - 1] + 1) ++gaps;
  }
}

// A stand-in for the plug-in appends an event every 3 ms for 25 s, opening
// the file by name each time, while the list is opened again and again:
// every copy of the file taken meanwhile and every list holds whole events
// without gaps or swaps, and the last opening leaves at most 20000 bytes
// and no other file. Prints the run's figures.
TEST_F(MessageE2E, ATrimBesideAPluginThatKeepsWritingKeepsEveryEventInOrder) {
  constexpr int kFirst = 125, kIntervalMs = 3, kSeconds = 25;
  std::vector<EventRecord> initial;
  for (int n = 0; n < kFirst; ++n) initial.push_back(message_test::NumberedEvent(n));
  WriteEvents(initial);
  // The stand-in's report lies outside the program's folder.
  const std::string report = dir_.Path().substr(0, dir_.Path().size() - 1) + ".plug-in.txt";
  HWND main = StartToMainWindow();
  ASSERT_NE(main, nullptr);
  Program plugin =
      Program::Start(MESSAGESAMPLE_EXE, {}, "",
                     "\"" + e2e::WinPath(MESSAGESAMPLE_EXE) + "\" append \"" + EventFile() + "\" " +
                         std::to_string(kIntervalMs) + " " + std::to_string(kSeconds) + " " +
                         std::to_string(kFirst) + " \"" + report + "\"");
  ASSERT_TRUE(plugin.Started());

  int openings = 0, copies = 0, torn = 0, swaps = 0, gaps = 0, came_back = 0, first_seen = -1;
  std::size_t largest = 0;
  const auto take_copy = [&] {
    const auto copy = e2e::ReadFileBytes(EventFile());
    if (!copy) return;  // moved aside for an instant
    ++copies;
    largest = std::max(largest, copy->size());
    const Numbered numbered = NumbersInFile(*copy);
    if (!numbered.whole) ++torn;
    CountDisorder(numbered.numbers, swaps, gaps);
    // Older events in front again: a trim had to leave its copy waiting
    // while the plug-in kept making the file anew.
    if (!numbered.numbers.empty()) {
      if (numbered.numbers.front() < first_seen) ++came_back;
      first_seen = numbered.numbers.front();
    }
  };
  const auto open_list = [&] {
    HWND list = OpenList(main);
    if (list == nullptr) return std::vector<int>{};
    ++openings;
    const std::vector<int> shown = NumbersInList(e2e::Text(ChildOfClass(list, "Edit")));
    CountDisorder(shown, swaps, gaps);
    e2e::Close(list);
    e2e::WaitUntil([&] { return !IsWindow(list); });
    return shown;
  };
  while (plugin.Running()) {
    open_list();
    for (int i = 0; i < 5 && plugin.Running(); ++i) {
      Sleep(300);
      take_copy();
    }
  }
  ASSERT_EQ(plugin.Wait(), 0u);
  unsigned long written = 0, refused = 0, given_up = 0;
  {
    std::ifstream in(report);
    in >> written >> refused >> given_up;
  }
  take_copy();
  const std::vector<int> last_list = open_list();
  const Numbered in_file = NumbersInFile(e2e::ReadFileBytes(EventFile()).value_or(""));
  const std::size_t final_size = e2e::ReadFileBytes(EventFile()).value_or("").size();
  QuitWithZero(main);

  std::printf(
      "figures: %d openings, %lu events written (%lu opens refused for an instant, %lu given "
      "up), %d copies, largest file %zu bytes, %d swaps, %d gaps, %d torn copies, %d copies with "
      "older events back in front, last file %zu bytes\n",
      openings, written, refused, given_up, copies, largest, swaps, gaps, torn, came_back,
      final_size);
  EXPECT_GE(openings, 8);
  EXPECT_GT(written, 5000u);
  EXPECT_EQ(given_up, 0u);
  EXPECT_EQ(swaps, 0);
  EXPECT_EQ(gaps, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_TRUE(in_file.whole);
  ASSERT_FALSE(in_file.numbers.empty());
  EXPECT_EQ(in_file.numbers.back(), kFirst + static_cast<int>(written) - 1) << "the newest event";
  EXPECT_EQ(last_list, in_file.numbers);
  EXPECT_LE(final_size, 20000u);
  EXPECT_EQ(e2e::ListFilesRecursive(dir_.Path()),
            (std::vector<std::string>{"Message.exe", "QsStat.sta"}));
}

}  // namespace

// The plug-in holds the file open for appending: others may read it, not
// write it. The list shows the newest events at once and the file stays; a
// plug-in that shares nothing at all makes the file unreadable, which is said.
TEST_F(MessageE2E, AFileTheOtherProcessHoldsOpenIsShownOrSaidUnreadable) {
  const auto records = message_test::SampleEvents(200000);
  WriteEvents(records);
  const std::string stored = e2e::ReadFileBytes(EventFile()).value_or("");
  HWND main = StartToMainWindow();
  for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{0}}) {
    SCOPED_TRACE(share);
    HANDLE held = CreateFileA(EventFile().c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    if (share != 0) {
      HWND list = OpenList(main);
      ASSERT_NE(list, nullptr);
      const std::string text = e2e::Text(ChildOfClass(list, "Edit"));
      EXPECT_LT(text.size(), 40000u);
      EXPECT_NE(text.find(records.back()[7]), std::string::npos) << "the newest event";
      e2e::Close(list);
    } else {
      e2e::Click(e2e::FindChild(main, "Button", kOpen));
      const auto box = e2e::AnswerMessageBox(program_.Pid(), "Ereignisdatei nicht lesbar");
      EXPECT_EQ(box.value_or("<no box>"),
                "Die Ereignisdatei " + EventFile() + " kann nicht gelesen werden.");
      EXPECT_TRUE(ListWindows(program_.Pid()).empty());
    }
    CloseHandle(held);
    EXPECT_EQ(e2e::ReadFileBytes(EventFile()).value_or(""), stored);
  }
  QuitWithZero(main);
}

TEST_F(MessageE2E, AProgramFolderNamedOutsideTheCodePageHasItsEventsTrimmedAndShown) {
  const std::string folder = dir_ / "M\u011b\u0159en\u00ed \u03a9";
  ASSERT_TRUE(e2e::MakeDirs(folder));
  exe_ = folder + "\\Message.exe";
  ASSERT_TRUE(
      CopyFileW(e2e::Wide(e2e::WinPath(MESSAGE_EXE)).c_str(), e2e::Wide(exe_).c_str(), FALSE));
  const auto records = message_test::SampleEvents(25000);
  const std::string event_file = folder + "\\QsStat.sta";
  ASSERT_TRUE(
      e2e::WriteFileBytes(event_file, message_test::Shift(message_test::FrameRecords(records))));
  HWND main = StartToMainWindow();
  ASSERT_NE(main, nullptr) << "the program said there were no events";
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  const auto stored = e2e::ReadFileBytes(event_file);
  ASSERT_TRUE(stored.has_value());
  EXPECT_LE(stored->size(), 20000u);
  EXPECT_NE(e2e::Text(ChildOfClass(list, "Edit")), "");
  QuitWithZero(main);
  EXPECT_EQ(e2e::ListFilesRecursive(folder),
            (std::vector<std::string>{"Message.exe", "QsStat.sta"}));
}

// DLLs named like the system's beside the program, where the plug-in's users
// may write: an opened list loads none of them.
TEST_F(MessageE2E, NoDllBesideTheProgramIsLoaded) {
  const e2e::PlantedDlls planted(exe_);
  ASSERT_TRUE(planted.Planted());
  WriteEvents(message_test::SampleEvents(500));
  HWND main = StartToMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_NE(OpenList(main), nullptr);
  QuitWithZero(main);
  EXPECT_EQ(planted.Loaded(), std::vector<std::string>{});
}
