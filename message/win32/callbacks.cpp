#include "callbacks.h"

#include <cstdint>
#include <optional>
#include <string>

#include "Utf8Text.h"
#include "Win32EventFileSystem.h"
#include "engine.h"
#include "eventfile.h"
#include "ui.h"

namespace {

constexpr char kUnreadableTitle[] = "Ereignisdatei nicht lesbar";

void SetLoading(int panel, bool loading) {
  SetCtrlAttribute(panel, ui::mainCtrl[ui::QUIT], ATTR_DIMMED, loading ? 1 : 0);
  SetCtrlAttribute(panel, ui::mainCtrl[ui::OPEN_FILE], ATTR_DIMMED, loading ? 1 : 0);
  SetMouseCursor(loading ? VAL_WAIT_CURSOR : VAL_DEFAULT_CURSOR);
  SetCtrlAttribute(panel, ui::mainCtrl[ui::TEXT_WAIT], ATTR_VISIBLE, loading ? 1 : 0);
  SetCtrlAttribute(panel, ui::mainCtrl[ui::SLIDE], ATTR_VISIBLE, loading ? 1 : 0);
}

}  // namespace

void ShowNoEventsNotice() {
  MessagePopup("Keine Ereignisse vorhanden",
               "Bisher gab es noch keine Ereignisse des Quorlen Q-DAS (qs-STAT) Plug-In's f\xFCr "
               "Calyrix !");
  QuitUserInterface(0);
}

int CB_OpenFile(int panel, int, int event, void* callbackData, int, int) {
  if (event != EVENT_COMMIT) return 0;
  // Without a list window there is nothing to fill: the main window stays idle.
  const int list = ui::BuildListPanel();
  if (list < 0) return 0;

  const std::string& path = *static_cast<const std::string*>(callbackData);
  // The windows are drawn and answer while a rename waits for a file that
  // another program holds for a moment.
  Win32EventFileSystem fs([] {
    ProcessDrawEvents();
    ProcessSystemEvents();
  });
  // Dimmed from here on: the window answers while a trim waits, and no
  // second opening may start meanwhile.
  SetLoading(panel, true);
  // A trim left half done earlier in this run (the plug-in held a file or
  // kept making the event file anew) goes on first.
  message::FinishEventFileTrim(fs, path);
  std::uint64_t size = 0;
  if (!message::QueryEventFileSize(fs, path, size)) {
    SetLoading(panel, false);
    DiscardPanel(list);
    ShowNoEventsNotice();
    return -1;
  }

  // The list reads the size the file has after the trim: the plug-in or a
  // person may have rewritten it since the query.
  const auto trimmed = message::TrimEventFile(fs, path, size);
  std::optional<std::string> text;
  if (trimmed) {
    text = message::FormatEventList(fs, path, *trimmed, [panel](std::optional<int> percent) {
      if (percent) SetCtrlVal(panel, ui::mainCtrl[ui::SLIDE], static_cast<double>(*percent));
      ProcessDrawEvents();
      ProcessSystemEvents();
    });
  }
  SetLoading(panel, false);
  // An empty list would say "no events": a file that cannot be read is said.
  if (!text) {
    DiscardPanel(list);
    MessagePopup(
        kUnreadableTitle,
        ("Die Ereignisdatei " + AnsiFromUtf8(path) + " kann nicht gelesen werden.").c_str());
    return 0;
  }
  ResetTextBox(list, ui::listCtrl[ui::TEXT], "");
  SetCtrlVal(list, ui::listCtrl[ui::TEXT], text->c_str());
  DisplayPanel(list);
  return 0;
}

int CB_Help(int, int, int event, void*, int, int) {
  if (event == EVENT_COMMIT) SystemHelp("qsSTAT_d.hlp", 150);
  return 0;
}

int CB_Quit(int, int, int event, void*, int, int) {
  if (event == EVENT_COMMIT) QuitUserInterface(0);
  return 0;
}

// Closes the list window whose button (or Esc, or close box) was used: with
// several list windows open, each closes only itself, and only once.
int CB_Close(int panel, int, int event, void*, int, int) {
  if (event == EVENT_COMMIT) DiscardPanel(panel);
  return 0;
}
