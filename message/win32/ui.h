// The builders of Message's two windows, and the handles of their controls.
#pragma once

namespace ui {

// Controls of the main window PANEL, by constant.
enum MainCtrl {
  OPEN_FILE,
  QUIT,
  HELP,
  SLIDE,
  PICTURE,
  TEXTMSG,
  TEXTMSG_2,
  TEXT_WAIT,
  MAIN_CTRL_COUNT
};
// Controls of the list window TEXT, by constant.
enum ListCtrl { TEXT, CLOSE, LIST_CTRL_COUNT };

// The engine's handle of each control, as returned when it was created.
// Every list window is built alike, so one table serves all of them.
extern int mainCtrl[MAIN_CTRL_COUNT];
extern int listCtrl[LIST_CTRL_COUNT];

// The main window, hidden, fitted to its screen. Returns its handle or the
// first negative engine result.
int BuildMainPanel();
// A new list window, hidden, fitted to its screen.
int BuildListPanel();

}  // namespace ui
