// The window engine, in this process, against Wine's real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine.h"

namespace {

struct Call {
  int panel, control, event;
  void* data;
};
std::vector<Call> calls;

int Record(int panel, int control, int event, void* data, int, int) {
  calls.push_back({panel, control, event, data});
  return 0;
}
int Quit(int, int, int, void*, int, int) {
  return QuitUserInterface(42);
}
int DiscardOwn(int panel, int, int, void*, int, int) {
  calls.push_back({panel, 0, EVENT_COMMIT, nullptr});
  return DiscardPanel(panel);
}

std::string TextOf(HWND h) {
  char buf[65536];
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    ASSERT_EQ(InitEngine(0, nullptr), 0);
    panel_ = NewPanel("Engine test", 10, 20, 200, 300);
    ASSERT_GT(panel_, 0);
    hwnd_ = FindWindowA("EnginePanel", "Engine test");
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override { DiscardPanel(panel_); }

  // The child window of a control (its handle is the child's id).
  HWND Child(int ctrl) { return GetDlgItem(hwnd_, ctrl); }
  RECT Rect(int ctrl) {
    RECT r;
    GetWindowRect(Child(ctrl), &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  int Button(const char* label, CtrlCallbackPtr cb = Record) {
    const int b = NewCtrl(panel_, CTRL_SQUARE_COMMAND_BUTTON, label, 5, 5);
    EXPECT_GT(b, 0);
    EXPECT_EQ(SetCtrlAttribute(panel_, b, ATTR_CALLBACK_FUNCTION_POINTER, cb), 0);
    return b;
  }

  int panel_ = 0;
  HWND hwnd_ = nullptr;
};

TEST(EngineStart, NeedsInitialisationAndRejectsUnknownHandles) {
  EXPECT_EQ(NewPanel("x", 0, 0, 10, 10), ENGINE_ERR_NOT_INITIALISED);
  ASSERT_EQ(InitEngine(0, nullptr), 0);
  EXPECT_EQ(NewPanel("x", 0, 0, 0, 10), ENGINE_ERR_VALUE);
  const int p = NewPanel("x", 0, 0, 10, 10);
  ASSERT_GT(p, 0);
  EXPECT_EQ(NewCtrl(p + 1, CTRL_TEXT_MSG, "", 0, 0), ENGINE_ERR_PANEL);
  EXPECT_EQ(NewCtrl(p, 999, "", 0, 0), ENGINE_ERR_STYLE);
  EXPECT_EQ(SetCtrlAttribute(p, 55, ATTR_VISIBLE, 0), ENGINE_ERR_CTRL);
  EXPECT_EQ(DiscardPanel(p), 0);
  EXPECT_EQ(DiscardPanel(p), ENGINE_ERR_PANEL);
  EXPECT_EQ(DisplayPanel(p), ENGINE_ERR_PANEL);
}

TEST_F(Engine, AttributesCheckTheirObjectTypeAndRange) {
  const int text = NewCtrl(panel_, CTRL_TEXT_MSG, "", 0, 0);
  const int slide = NewCtrl(panel_, CTRL_NUMERIC_HSLIDE, "L:", 0, 60);
  EXPECT_EQ(SetCtrlAttribute(panel_, text, ATTR_CMD_BUTTON_COLOR, 0xC0C0C0), ENGINE_ERR_ATTRIBUTE);
  EXPECT_EQ(SetCtrlAttribute(panel_, text, ATTR_TEXT_COLOR, 0x1000000), ENGINE_ERR_VALUE);
  EXPECT_EQ(SetCtrlAttribute(panel_, text, ATTR_MIN_VALUE, 1.0), ENGINE_ERR_ATTRIBUTE);
  EXPECT_EQ(SetCtrlAttribute(panel_, text, ATTR_SHORTCUT_KEY, 'A'), ENGINE_ERR_VALUE);
  EXPECT_EQ(SetCtrlAttribute(panel_, slide, ATTR_DFLT_VALUE, "text"), ENGINE_ERR_ATTRIBUTE);
  EXPECT_EQ(SetCtrlAttribute(panel_, slide, ATTR_DFLT_VALUE, 101.0), ENGINE_ERR_VALUE);
  EXPECT_EQ(SetPanelAttribute(panel_, ATTR_CLOSE_CTRL, 999), ENGINE_ERR_CTRL);
  EXPECT_EQ(SetPanelAttribute(panel_, ATTR_SCROLL_BARS, 1), ENGINE_ERR_ATTRIBUTE);
}

TEST_F(Engine, PanelGeometryIsTheClientAreaAndScalesItsControls) {
  RECT client;
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  EXPECT_EQ(origin.x, 20);
  EXPECT_EQ(origin.y, 10);

  const int b = NewCtrl(panel_, CTRL_SQUARE_COMMAND_BUTTON, "B", 50, 30);
  SetCtrlAttribute(panel_, b, ATTR_HEIGHT, 20);
  SetCtrlAttribute(panel_, b, ATTR_WIDTH, 40);
  EXPECT_EQ(Rect(b).top, 50);
  SetPanelAttribute(panel_, ATTR_HEIGHT, 400);
  SetPanelAttribute(panel_, ATTR_WIDTH, 450);
  const RECT r = Rect(b);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.left, 45);
  EXPECT_EQ(r.bottom - r.top, 40);
  EXPECT_EQ(r.right - r.left, 60);

  // Auto-centre on the screen's work area.
  SetPanelAttribute(panel_, ATTR_TOP, VAL_AUTO_CENTER);
  SetPanelAttribute(panel_, ATTR_LEFT, VAL_AUTO_CENTER);
  RECT frame, work;
  GetWindowRect(hwnd_, &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 1);
  EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 1);

  int monitor = 0, height = 0, width = 0;
  ASSERT_EQ(GetMonitorFromPanel(panel_, &monitor), 0);
  ASSERT_EQ(GetMonitorAttribute(monitor, ATTR_MONITOR_HEIGHT, &height), 0);
  ASSERT_EQ(GetMonitorAttribute(monitor, ATTR_MONITOR_WIDTH, &width), 0);
  EXPECT_EQ(height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(GetMonitorAttribute(monitor + 5, ATTR_MONITOR_HEIGHT, &height), ENGINE_ERR_VALUE);
}

TEST_F(Engine, FixedFramePanelHasNoSizingBorderOrMaximiseBox) {
  ASSERT_EQ(SetPanelAttribute(panel_, ATTR_SIZABLE, 0), 0);
  ASSERT_EQ(SetPanelAttribute(panel_, ATTR_CAN_MAXIMIZE, 0), 0);
  const LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  RECT client;
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(client.right, 300) << "the client size stays";
}

TEST_F(Engine, ClickShortcutAndCloseBoxCommit) {
  const int a = Button("A"), esc = Button("Esc");
  int data = 0;
  ASSERT_EQ(SetCtrlAttribute(panel_, a, ATTR_CALLBACK_DATA, &data), 0);
  SetCtrlAttribute(panel_, esc, ATTR_SHORTCUT_KEY, VAL_ESC_KEY);
  SetPanelAttribute(panel_, ATTR_CLOSE_CTRL, esc);
  DisplayPanel(panel_);

  SendMessageA(Child(a), BM_CLICK, 0, 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].panel, panel_);
  EXPECT_EQ(calls[0].control, a);
  EXPECT_EQ(calls[0].event, EVENT_COMMIT);
  EXPECT_EQ(calls[0].data, &data) << "each control hands its callback its own data";

  PostMessageA(Child(a), WM_KEYDOWN, VK_ESCAPE, 0);  // to any window of the panel
  ProcessSystemEvents();
  SendMessageA(hwnd_, WM_CLOSE, 0, 0);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].control, esc);
  EXPECT_EQ(calls[2].control, esc);
  EXPECT_EQ(calls[2].data, nullptr);
  EXPECT_TRUE(IsWindow(hwnd_)) << "the close box only commits";

  // Dimmed: neither click, shortcut nor close box.
  SetCtrlAttribute(panel_, esc, ATTR_DIMMED, 1);
  EXPECT_FALSE(IsWindowEnabled(Child(esc)));
  PostMessageA(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0);
  ProcessSystemEvents();
  SendMessageA(hwnd_, WM_CLOSE, 0, 0);
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(Engine, CallbackMayDiscardItsOwnPanelAndQuitTheLoop) {
  const int own = Button("own", DiscardOwn);
  const int quit = Button("quit", Quit);
  DisplayPanel(panel_);
  const int other = NewPanel("Other", 0, 0, 50, 50);
  const int bye = NewCtrl(other, CTRL_SQUARE_COMMAND_BUTTON, "bye", 1, 1);
  SetCtrlAttribute(other, bye, ATTR_CALLBACK_FUNCTION_POINTER, DiscardOwn);
  HWND other_hwnd = FindWindowA("EnginePanel", "Other");
  PostMessageA(GetDlgItem(other_hwnd, bye), BM_CLICK, 0, 0);
  PostMessageA(Child(quit), BM_CLICK, 0, 0);
  EXPECT_EQ(RunUserInterface(), 42);
  EXPECT_FALSE(IsWindow(other_hwnd));
  EXPECT_TRUE(IsWindow(hwnd_)) << "only the panel of the pressed button goes";
  EXPECT_EQ(DiscardPanel(other), ENGINE_ERR_PANEL);
  SendMessageA(Child(own), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd_));
  panel_ = 0;
}

TEST_F(Engine, TextBoxAppendsAndResets) {
  const int box = NewCtrl(panel_, CTRL_TEXT_BOX, "", 0, 0);
  ASSERT_EQ(SetCtrlAttribute(panel_, box, ATTR_SCROLL_BARS, VAL_BOTH_SCROLL_BARS), 0);
  const LONG style = GetWindowLongA(Child(box), GWL_STYLE);
  EXPECT_TRUE((style & WS_HSCROLL) && (style & WS_VSCROLL));
  ASSERT_EQ(SetCtrlVal(panel_, box, "a\nb"), 0);
  ASSERT_EQ(SetCtrlVal(panel_, box, "c\n"), 0);
  EXPECT_EQ(TextOf(Child(box)), "a\r\nbc\r\n");
  ASSERT_EQ(ResetTextBox(panel_, box, ""), 0);
  EXPECT_EQ(TextOf(Child(box)), "");
  // Longer than an edit control's default limit.
  const std::string big(50000, 'x');
  ASSERT_EQ(SetCtrlVal(panel_, box, big.c_str()), 0);
  EXPECT_EQ(GetWindowTextLengthA(Child(box)), 50000);
  EXPECT_EQ(SetCtrlVal(panel_, box, 1.0), ENGINE_ERR_ATTRIBUTE);
}

TEST_F(Engine, SlideAndTextMessageTakeTheirValues) {
  const int slide = NewCtrl(panel_, CTRL_NUMERIC_HSLIDE, "Fortschritt:", 10, 100);
  SetCtrlAttribute(panel_, slide, ATTR_DFLT_VALUE, 30.0);
  ASSERT_EQ(DefaultCtrl(panel_, slide), 0);
  EXPECT_EQ(SendMessageA(Child(slide), PBM_GETPOS, 0, 0), 30);
  ASSERT_EQ(SetCtrlVal(panel_, slide, 64.0), 0);
  EXPECT_EQ(SendMessageA(Child(slide), PBM_GETPOS, 0, 0), 64);
  EXPECT_EQ(SetCtrlVal(panel_, slide, 100.5), ENGINE_ERR_VALUE);
  HWND label = FindWindowExA(hwnd_, nullptr, "Static", "Fortschritt:");
  ASSERT_NE(label, nullptr);
  SetCtrlAttribute(panel_, slide, ATTR_VISIBLE, 0);
  EXPECT_FALSE(IsWindowVisible(label)) << "the label goes with its slide";

  const int text = NewCtrl(panel_, CTRL_TEXT_MSG, "", 0, 0);
  SetCtrlAttribute(panel_, text, ATTR_DFLT_VALUE, "zwei\nZeilen");
  EXPECT_EQ(TextOf(Child(text)), "");
  ASSERT_EQ(DefaultCtrl(panel_, text), 0);
  EXPECT_EQ(TextOf(Child(text)), "zwei\nZeilen");
}

TEST_F(Engine, StackingAndTabOrder) {
  const int a = Button("a"), b = Button("b"), c = Button("c");
  const int text = NewCtrl(panel_, CTRL_TEXT_MSG, "", 0, 0);
  // Front to back: c, a, text, b.
  SetCtrlAttribute(panel_, c, ATTR_ZPLANE_POSITION, 0);
  SetCtrlAttribute(panel_, a, ATTR_ZPLANE_POSITION, 1);
  SetCtrlAttribute(panel_, text, ATTR_ZPLANE_POSITION, 2);
  SetCtrlAttribute(panel_, b, ATTR_ZPLANE_POSITION, 3);
  std::vector<int> order;
  for (HWND h = GetWindow(hwnd_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    order.push_back(GetDlgCtrlID(h));
  }
  EXPECT_EQ(order, (std::vector<int>{c, a, text, b}));

  // Tab order b, c, a; a dimmed button is passed over.
  SetCtrlAttribute(panel_, b, ATTR_CTRL_TAB_POSITION, 0);
  SetCtrlAttribute(panel_, c, ATTR_CTRL_TAB_POSITION, 1);
  DisplayPanel(panel_);
  EXPECT_EQ(GetFocus(), Child(b));
  const auto tab = [&] {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    ProcessSystemEvents();
    return GetDlgCtrlID(GetFocus());
  };
  EXPECT_EQ(tab(), c);
  EXPECT_EQ(tab(), a);
  EXPECT_EQ(tab(), b);
  SetCtrlAttribute(panel_, c, ATTR_DIMMED, 1);
  EXPECT_EQ(tab(), a);
}

TEST_F(Engine, PictureTakesACopyOfAResourceBitmap) {
  const int picture = NewCtrl(panel_, CTRL_PICTURE, "", 0, 0);
  const int text = NewCtrl(panel_, CTRL_TEXT_MSG, "", 150, 150);
  int bitmap = 0;
  EXPECT_EQ(GetBitmapFromResource(999, &bitmap), ENGINE_ERR_BITMAP);
  ASSERT_EQ(GetBitmapFromResource(200, &bitmap), 0);
  EXPECT_EQ(SetCtrlBitmap(panel_, text, bitmap), ENGINE_ERR_ATTRIBUTE);
  ASSERT_EQ(SetCtrlBitmap(panel_, picture, bitmap), 0);
  ASSERT_EQ(DiscardBitmap(bitmap), 0);
  EXPECT_EQ(DiscardBitmap(bitmap), ENGINE_ERR_BITMAP);
  EXPECT_EQ(SetCtrlBitmap(panel_, picture, bitmap), ENGINE_ERR_BITMAP);

  // The picture still draws after its source bitmap was released.
  SetCtrlAttribute(panel_, picture, ATTR_HEIGHT, 105);
  SetCtrlAttribute(panel_, picture, ATTR_WIDTH, 101);
  DisplayPanel(panel_);
  ProcessDrawEvents();
  HDC dc = GetDC(Child(picture));
  const COLORREF corner = GetPixel(dc, 1, 1);
  ReleaseDC(Child(picture), dc);
  EXPECT_EQ(corner, RGB(0xFF, 0x33, 0x00));
}

TEST_F(Engine, MessagePopupWaitsForOk) {
  std::thread answer([] {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
      Sleep(20);
      box = FindWindowA("#32770", "Titel");
    }
    if (box) PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(MessagePopup("Titel", "Text"), 0);
  answer.join();
}

TEST(EngineProcess, DuplicateInstanceByExecutable) {
  int duplicate = -1;
  ASSERT_EQ(CheckForDuplicateAppInstance(&duplicate), 0);
  EXPECT_EQ(duplicate, 0);
  ASSERT_EQ(CheckForDuplicateAppInstance(&duplicate), 0);
  EXPECT_EQ(duplicate, 1);
}

TEST(EngineProcess, ModuleDirAndResolutionSetting) {
  char dir[ENGINE_MAX_PATHNAME_LEN];
  ASSERT_EQ(GetModuleDir(dir, sizeof dir), 0);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string expected = exe;
  expected.erase(expected.find_last_of('\\'));
  EXPECT_EQ(dir, expected);
  char small[4];
  EXPECT_EQ(GetModuleDir(small, sizeof small), ENGINE_ERR_PATH);

  std::string ini = exe;
  ini.replace(ini.size() - 4, 4, ".ini");
  DeleteFileA(ini.c_str());
  int adjust = 0;
  ASSERT_EQ(GetSystemAttribute(ATTR_RESOLUTION_ADJUSTMENT, &adjust), 0);
  EXPECT_EQ(adjust, -1);
  WritePrivateProfileStringA("Engine", "ResolutionAdjustment", "50", ini.c_str());
  ASSERT_EQ(GetSystemAttribute(ATTR_RESOLUTION_ADJUSTMENT, &adjust), 0);
  EXPECT_EQ(adjust, 50);
  DeleteFileA(ini.c_str());
  EXPECT_EQ(GetSystemAttribute(1501, &adjust), ENGINE_ERR_ATTRIBUTE);
}

}  // namespace
