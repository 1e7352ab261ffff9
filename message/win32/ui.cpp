#include "ui.h"

#include <utility>

#include "callbacks.h"
#include "engine.h"
#include "resource.h"
#include "scaling.h"

namespace ui {

int mainCtrl[MAIN_CTRL_COUNT];
int listCtrl[LIST_CTRL_COUNT];

namespace {

constexpr int kRedOrange = 0xFF3300;
constexpr int kLightGrey = 0xC0C0C0;
constexpr int kWhite = 0xFFFFFF;
constexpr int kNone = -1;

// One control of a window table. caption: a button's text or a slide's
// label; value: a text message's text (its default value).
struct CtrlRow {
  int id;
  const char* constant;
  int style;
  const char* caption;
  const char* value;
  int top, left, height, width;
  const char* font;  // nullptr: the engine's
  int point_size;
  CtrlCallbackPtr callback;
  int mode;
  int button_color, text_color, text_bg, frame_color;
  int shortcut;
};

// clang-format off
const CtrlRow kMainRows[] = {
  // id         constant     style                          caption                     value  top  left   h    w  font     pt  callback     mode           button      text    text bg     frame     shortcut
  {OPEN_FILE, "OPEN_FILE", CTRL_SQUARE_COMMAND_BUTTON,  "Ereignisliste \xF6" "ffnen", nullptr, 297, 312,  28, 140, "Arial", 14, CB_OpenFile, VAL_HOT,       kLightGrey, kNone,  kNone,      kNone,    0},
  {QUIT,      "QUIT",      CTRL_SQUARE_COMMAND_BUTTON,  "Schlie\xDF" "en",          nullptr, 297,  34,  28, 140, "Arial", 14, CB_Quit,     VAL_HOT,       kLightGrey, kNone,  kNone,      kNone,    VAL_ESC_KEY},
  {HELP,      "HELP",      CTRL_ROUNDED_COMMAND_BUTTON, "?",                        nullptr, 295, 226,  28,  29, "Arial", 17, CB_Help,     VAL_HOT,       kLightGrey, kNone,  kNone,      kNone,    0},
  {SLIDE,     "SLIDE",     CTRL_NUMERIC_HSLIDE,         "Fortschritt:",             nullptr, 257, 108,  18, 269, nullptr,  0, nullptr,     VAL_INDICATOR, kNone,      kNone,  kNone,      0xD4D0C8, 0},
  {PICTURE,   "PICTURE",   CTRL_PICTURE,                "",                         nullptr,  11, 195, 105, 101, nullptr,  0, nullptr,     VAL_INDICATOR, kNone,      kNone,  kNone,      kNone,    0},
  {TEXTMSG,   "TEXTMSG",   CTRL_TEXT_MSG,               "",  "Ereignis im Q-DAS Plug-In ! ", 126,  53,  38, 382, "Arial", 30, nullptr,     VAL_INDICATOR, kNone,      kWhite, kRedOrange, kNone,    0},
  {TEXTMSG_2, "TEXTMSG_2", CTRL_TEXT_MSG,               "",  "F\xFCr Details dr\xFC" "cken Sie bitte\ndie Taste 'Ereignisliste \xF6" "ffnen'.",
                                                                                             167,  97,  52, 288, "Arial", 21, nullptr,     VAL_INDICATOR, kNone,      kWhite, kRedOrange, kNone,    0},
  {TEXT_WAIT, "TEXT_WAIT", CTRL_TEXT_MSG,               "",  "Bitte warten ...",        232, 190,  18,  93, "Arial", 14, nullptr,     VAL_INDICATOR, kNone,      kWhite, kRedOrange, kNone,    0},
};
const MainCtrl kMainFrontToBack[] = {TEXT_WAIT, SLIDE, HELP, OPEN_FILE, QUIT, TEXTMSG_2, TEXTMSG, PICTURE};
const MainCtrl kMainTabOrder[] = {OPEN_FILE, QUIT, HELP, SLIDE};

const CtrlRow kListRows[] = {
  // id     constant  style                         caption    value    top left   h    w  font             pt  callback  mode           button      text   text bg  frame       shortcut
  {TEXT,  "TEXT",  CTRL_TEXT_BOX,               "",        nullptr,  28,  10, 274, 600, "Courier New",   13, nullptr,  VAL_INDICATOR, kNone,      kNone, kWhite,  kLightGrey, 0},
  {CLOSE, "CLOSE", CTRL_SQUARE_COMMAND_BUTTON,  "Beenden", nullptr, 317, 264,  29, 111, VAL_DIALOG_FONT, 14, CB_Close, VAL_HOT,       kLightGrey, kNone, kNone,   kNone,      VAL_ESC_KEY},
};
const ListCtrl kListFrontToBack[] = {CLOSE, TEXT};
const ListCtrl kListTabOrder[] = {TEXT, CLOSE};
// clang-format on

// Remembers the first negative result of a run of engine calls.
struct Steps {
  int error = 0;
  bool operator()(int result) {
    if (error == 0 && result < 0) error = result;
    return error == 0;
  }
};

bool SetColor(Steps& s, int panel, int ctrl, int attribute, int color) {
  return color == kNone || s(SetCtrlAttribute(panel, ctrl, attribute, color));
}

// Creates the control of one table row and sets its properties.
bool CreateRow(Steps& s, int panel, const CtrlRow& row, int* handles) {
  const int ctrl = NewCtrl(panel, row.style, row.caption, row.top, row.left);
  if (!s(ctrl)) return false;
  handles[row.id] = ctrl;
  if (!(s(SetCtrlAttribute(panel, ctrl, ATTR_CONSTANT_NAME, row.constant)) &&
        s(SetCtrlAttribute(panel, ctrl, ATTR_HEIGHT, row.height)) &&
        s(SetCtrlAttribute(panel, ctrl, ATTR_WIDTH, row.width)) &&
        s(SetCtrlAttribute(panel, ctrl, ATTR_CTRL_MODE, row.mode)) &&
        SetColor(s, panel, ctrl, ATTR_CMD_BUTTON_COLOR, row.button_color) &&
        SetColor(s, panel, ctrl, ATTR_TEXT_COLOR, row.text_color) &&
        SetColor(s, panel, ctrl, ATTR_TEXT_BGCOLOR, row.text_bg) &&
        SetColor(s, panel, ctrl, ATTR_FRAME_COLOR, row.frame_color))) {
    return false;
  }
  if (row.font && !(s(SetCtrlAttribute(panel, ctrl, ATTR_TEXT_FONT, row.font)) &&
                    s(SetCtrlAttribute(panel, ctrl, ATTR_TEXT_POINT_SIZE, row.point_size)))) {
    return false;
  }
  if (row.callback &&
      !s(SetCtrlAttribute(panel, ctrl, ATTR_CALLBACK_FUNCTION_POINTER, row.callback))) {
    return false;
  }
  if (row.shortcut && !s(SetCtrlAttribute(panel, ctrl, ATTR_SHORTCUT_KEY, row.shortcut))) {
    return false;
  }
  if (row.value) {
    // The text is the control's default value, applied at once.
    return s(SetCtrlAttribute(panel, ctrl, ATTR_DFLT_VALUE, row.value)) &&
           s(DefaultCtrl(panel, ctrl));
  }
  return true;
}

template <typename Id, std::size_t N>
bool SetOrder(Steps& s, int panel, const int* handles, const Id (&order)[N], int attribute) {
  for (std::size_t i = 0; i < N; ++i) {
    if (!s(SetCtrlAttribute(panel, handles[order[i]], attribute, static_cast<int>(i)))) {
      return false;
    }
  }
  return true;
}

// Sizes the window by the resolution-adjustment setting (unset counts as
// unset_value) and centres it on its screen.
bool FitToScreen(Steps& s, int panel, const message::PanelGeometry& design, int unset_value) {
  int adjust = 0;
  if (!s(GetSystemAttribute(ATTR_RESOLUTION_ADJUSTMENT, &adjust))) return false;
  if (adjust == -1) adjust = unset_value;
  if (adjust != 0) {
    int monitor = 0, height = 0, width = 0;
    if (!(s(GetMonitorFromPanel(panel, &monitor)) &&
          s(GetMonitorAttribute(monitor, ATTR_MONITOR_HEIGHT, &height)) &&
          s(GetMonitorAttribute(monitor, ATTR_MONITOR_WIDTH, &width)))) {
      return false;
    }
    const message::PanelGeometry g = message::ScalePanelGeometry(design, adjust, height, width);
    if (!(s(SetPanelAttribute(panel, ATTR_HEIGHT, g.height)) &&
          s(SetPanelAttribute(panel, ATTR_WIDTH, g.width)) &&
          s(SetPanelAttribute(panel, ATTR_TOP, g.top)) &&
          s(SetPanelAttribute(panel, ATTR_LEFT, g.left)))) {
      return false;
    }
  }
  return s(SetPanelAttribute(panel, ATTR_TOP, VAL_AUTO_CENTER)) &&
         s(SetPanelAttribute(panel, ATTR_LEFT, VAL_AUTO_CENTER));
}

// Window attributes common to both windows: constant name, colour, fixed frame.
bool SetUpPanel(Steps& s, int panel, const char* constant, int back_color) {
  return s(SetPanelAttribute(panel, ATTR_CONSTANT_NAME, constant)) &&
         s(SetPanelAttribute(panel, ATTR_BACKCOLOR, back_color)) &&
         s(SetPanelAttribute(panel, ATTR_SIZABLE, 0)) &&
         s(SetPanelAttribute(panel, ATTR_CAN_MAXIMIZE, 0));
}

}  // namespace

int BuildMainPanel() {
  const message::PanelGeometry design{21, 65, 346, 481};
  Steps s;
  int bitmap = 0;
  const int panel = NewPanel("Q-DAS (qs-STAT) Ereignisanzeige zu Calyrix K9Q2", design.top,
                             design.left, design.height, design.width);
  if (!s(panel) || !SetUpPanel(s, panel, "PANEL", kRedOrange)) return s.error;
  for (const CtrlRow& row : kMainRows) {
    if (!CreateRow(s, panel, row, mainCtrl)) return s.error;
  }
  const int slide = mainCtrl[SLIDE];
  // clang-format off
  if (!(s(SetPanelAttribute(panel, ATTR_CLOSE_CTRL, mainCtrl[QUIT])) &&
        s(SetCtrlAttribute(panel, slide, ATTR_LABEL_COLOR, kWhite)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_LABEL_BGCOLOR, kRedOrange)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_LABEL_TOP, 257)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_LABEL_LEFT, 38)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_DATA_TYPE, VAL_DOUBLE)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_MIN_VALUE, 0.0)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_MAX_VALUE, 100.0)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_INCR_VALUE, 1.0)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_DFLT_VALUE, 0.0)) &&
        s(DefaultCtrl(panel, slide)) &&
        s(SetCtrlAttribute(panel, slide, ATTR_VISIBLE, 0)) &&
        s(SetCtrlAttribute(panel, mainCtrl[TEXT_WAIT], ATTR_VISIBLE, 0)) &&
        s(GetBitmapFromResource(MESSAGE_PICTURE_BITMAP, &bitmap)) &&
        s(SetCtrlBitmap(panel, mainCtrl[PICTURE], bitmap)) &&
        s(DiscardBitmap(std::exchange(bitmap, 0))) &&
        SetOrder(s, panel, mainCtrl, kMainFrontToBack, ATTR_ZPLANE_POSITION) &&
        SetOrder(s, panel, mainCtrl, kMainTabOrder, ATTR_CTRL_TAB_POSITION) &&
        FitToScreen(s, panel, design, 100))) {
    // clang-format on
    if (bitmap) DiscardBitmap(bitmap);
    return s.error;
  }
  return panel;
}

int BuildListPanel() {
  const message::PanelGeometry design{21, 47, 378, 620};
  Steps s;
  const int panel = NewPanel("Q-DAS (qs-STAT) Ereignis-Liste", design.top, design.left,
                             design.height, design.width);
  if (!s(panel) || !SetUpPanel(s, panel, "TEXT", kLightGrey)) return s.error;
  for (const CtrlRow& row : kListRows) {
    if (!CreateRow(s, panel, row, listCtrl)) return s.error;
  }
  const int text = listCtrl[TEXT];
  if (!(s(SetPanelAttribute(panel, ATTR_CLOSE_CTRL, listCtrl[CLOSE])) &&
        s(SetCtrlAttribute(panel, text, ATTR_SCROLL_BARS, VAL_BOTH_SCROLL_BARS)) &&
        SetOrder(s, panel, listCtrl, kListFrontToBack, ATTR_ZPLANE_POSITION) &&
        SetOrder(s, panel, listCtrl, kListTabOrder, ATTR_CTRL_TAB_POSITION) &&
        FitToScreen(s, panel, design, 0))) {
    return s.error;
  }
  return panel;
}

}  // namespace ui
