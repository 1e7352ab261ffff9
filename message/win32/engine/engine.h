// Message's window run-time engine: top-level windows ("panels") holding
// controls, both addressed by integer handles; control callbacks with a
// commit event; an event loop that can also be run from inside a callback;
// message boxes, help, the cursor, and a few process queries.
//
// Every operation that can fail returns a negative error code (see
// ENGINE_ERR_*); 0 or a positive handle means success. This header does not
// include <windows.h>, so the program's own modules can use the names of
// their controls freely.
#pragma once

// ---- results -----------------------------------------------------------------
inline constexpr int ENGINE_ERR_NOT_INITIALISED = -1;  // InitEngine has not run
inline constexpr int ENGINE_ERR_PANEL = -2;            // no such panel
inline constexpr int ENGINE_ERR_CTRL = -3;             // no such control on the panel
inline constexpr int ENGINE_ERR_ATTRIBUTE = -4;  // not an attribute of the object, or wrong type
inline constexpr int ENGINE_ERR_VALUE = -5;      // value out of range
inline constexpr int ENGINE_ERR_STYLE = -6;      // unknown control style
inline constexpr int ENGINE_ERR_SYSTEM = -7;     // the system refused (window, mutex, ...)
inline constexpr int ENGINE_ERR_BITMAP = -8;     // no such bitmap or bitmap resource
inline constexpr int ENGINE_ERR_FILE = -9;       // file missing, a folder, or inaccessible
inline constexpr int ENGINE_ERR_PATH = -10;      // a path longer than the buffer

// ---- events and callbacks ------------------------------------------------------
// A click on a button, its shortcut key, or the close box for the panel's
// close control.
inline constexpr int EVENT_COMMIT = 1;

using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);

// ---- control styles (NewCtrl) ----------------------------------------------------
inline constexpr int CTRL_NUMERIC_HSLIDE = 110;  // horizontal slide, drawn as a progress bar
inline constexpr int CTRL_TEXT_MSG = 160;        // static text, set by DefaultCtrl
inline constexpr int CTRL_TEXT_BOX = 170;        // multi-line text, read only
inline constexpr int CTRL_SQUARE_COMMAND_BUTTON = 200;
inline constexpr int CTRL_ROUNDED_COMMAND_BUTTON = 202;
inline constexpr int CTRL_PICTURE = 480;

// ---- attributes --------------------------------------------------------------------
// Value types: (i) int, (d) double, (s) const char*, (c) CtrlCallbackPtr,
// (p) void*.
// Colours are 0xRRGGBB. Point sizes are character cell heights in pixels.
enum EngineAttribute {
  // panels and controls
  ATTR_HEIGHT = 1,     // (i) client height; panels scale their controls with it
  ATTR_WIDTH,          // (i) client width; panels scale their controls with it
  ATTR_CONSTANT_NAME,  // (s) the name the program knows the object by
  // panels
  ATTR_TOP,           // (i) client top on the screen, or VAL_AUTO_CENTER
  ATTR_LEFT,          // (i) client left on the screen, or VAL_AUTO_CENTER
  ATTR_BACKCOLOR,     // (i)
  ATTR_CLOSE_CTRL,    // (i) control whose callback the close box commits; 0 = none
  ATTR_SIZABLE,       // (i) 0/1, default 1
  ATTR_CAN_MAXIMIZE,  // (i) 0/1, default 1
  // controls
  ATTR_VISIBLE,                    // (i) 0/1
  ATTR_DIMMED,                     // (i) 0/1: shown, but takes no input
  ATTR_CTRL_MODE,                  // (i) VAL_HOT or VAL_INDICATOR
  ATTR_CALLBACK_FUNCTION_POINTER,  // (c)
  ATTR_CALLBACK_DATA,              // (p) handed to the callback as callbackData
  ATTR_CMD_BUTTON_COLOR,           // (i)
  ATTR_SHORTCUT_KEY,               // (i) VAL_ESC_KEY or 0
  ATTR_LABEL_COLOR,                // (i)
  ATTR_LABEL_BGCOLOR,              // (i)
  ATTR_LABEL_TOP,                  // (i) in the panel's client area
  ATTR_LABEL_LEFT,                 // (i)
  ATTR_TEXT_FONT,                  // (s) a face name or VAL_DIALOG_FONT
  ATTR_TEXT_POINT_SIZE,            // (i)
  ATTR_TEXT_COLOR,                 // (i)
  ATTR_TEXT_BGCOLOR,               // (i)
  ATTR_FRAME_COLOR,                // (i) a frame drawn around the control
  ATTR_SCROLL_BARS,                // (i) VAL_NO_SCROLL_BARS .. VAL_BOTH_SCROLL_BARS
  ATTR_MIN_VALUE,                  // (d)
  ATTR_MAX_VALUE,                  // (d)
  ATTR_INCR_VALUE,                 // (d)
  ATTR_DFLT_VALUE,                 // (d) slides, (s) text messages
  ATTR_DATA_TYPE,                  // (i) VAL_DOUBLE
  ATTR_ZPLANE_POSITION,            // (i) 0 = in front of every other control
  ATTR_CTRL_TAB_POSITION,          // (i) 0 = first
  // monitors (GetMonitorAttribute)
  ATTR_MONITOR_HEIGHT,
  ATTR_MONITOR_WIDTH,
  // system (GetSystemAttribute): the resolution-adjustment percentage, -1
  // when not set. It is set by the value ResolutionAdjustment in section
  // [Engine] of the INI file named after the program beside it
  // (Message.exe: Message.ini).
  ATTR_RESOLUTION_ADJUSTMENT = 1500,
};

inline constexpr int VAL_AUTO_CENTER = -(1 << 30);
inline constexpr int VAL_INDICATOR = 0;
inline constexpr int VAL_HOT = 1;
inline constexpr int VAL_DOUBLE = 4;
inline constexpr int VAL_NO_SCROLL_BARS = 0;
inline constexpr int VAL_VERT_SCROLL_BAR = 1;
inline constexpr int VAL_HORIZ_SCROLL_BAR = 2;
inline constexpr int VAL_BOTH_SCROLL_BARS = 3;
inline constexpr int VAL_ESC_KEY = 0x1B;
// The engine's dialog font: the system's message-box face.
inline constexpr const char* VAL_DIALOG_FONT = "EngineDialog";

inline constexpr int VAL_DEFAULT_CURSOR = -1;
inline constexpr int VAL_WAIT_CURSOR = 17;

// Bytes for a path of up to MAX_PATH UTF-16 units in UTF-8.
inline constexpr int ENGINE_MAX_PATHNAME_LEN = 3 * 260;

// ---- start-up, process -------------------------------------------------------------
// Restricts the DLLs that the process loads by name, its own and those the
// system loads for it (the themes and what they draw with), to the system
// folder: a DLL beside the program is never loaded. Runs first, before any
// panel or message box.
void RestrictDllSearch();
// Prepares the window classes and common controls; needs to run before any
// panel is made.
int InitEngine(int argc, char** argv);
void CVI_Beep();
// *isDuplicate becomes 1 when another process of the same executable (by
// its full path) runs; the other process is left as it is.
int CheckForDuplicateAppInstance(int* isDuplicate);
// The folder of the executable, without a trailing backslash, into dir of
// dirSize bytes, in UTF-8: a file path keeps every character of its name.
int GetModuleDir(char* dir, int dirSize);

// ---- panels ------------------------------------------------------------------------
// A top-level window, made hidden, sizable, with the title and the client
// geometry given.
int NewPanel(const char* title, int top, int left, int height, int width);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char* value);
int DisplayPanel(int panel);
int DiscardPanel(int panel);

// ---- controls ----------------------------------------------------------------------
int NewCtrl(int panel, int style, const char* label, int top, int left);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);
int SetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr value);
int SetCtrlAttribute(int panel, int control, int attribute, void* value);
// Sets the control to its default value (ATTR_DFLT_VALUE).
int DefaultCtrl(int panel, int control);
// Slides: the value. Text boxes: appends the text.
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* value);
// Replaces the whole content of a text box.
int ResetTextBox(int panel, int control, const char* text);

// ---- bitmaps -----------------------------------------------------------------------
// A bitmap from a BITMAP resource of the executable.
int GetBitmapFromResource(int resourceId, int* bitmap);
// Puts a copy of the bitmap into a picture control.
int SetCtrlBitmap(int panel, int control, int bitmap);
int DiscardBitmap(int bitmap);

// ---- screen ------------------------------------------------------------------------
int GetSystemAttribute(int attribute, int* value);
int GetMonitorFromPanel(int panel, int* monitor);
int GetMonitorAttribute(int monitor, int attribute, int* value);

// ---- events ------------------------------------------------------------------------
// Runs the event loop until QuitUserInterface; returns its code.
int RunUserInterface();
int QuitUserInterface(int code);
// Redraws every panel now.
int ProcessDrawEvents();
// Handles every pending event (callbacks included) and returns.
int ProcessSystemEvents();
int SetMouseCursor(int cursor);

// ---- dialogs and help ----------------------------------------------------------------
// A modal box with the title, the text and one OK button.
int MessagePopup(const char* title, const char* message);
// Opens a Windows Help file at the topic with the context number.
int SystemHelp(const char* helpFile, int context);
