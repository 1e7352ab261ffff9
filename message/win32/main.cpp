// Message: tells the user that the export plug-in has recorded events and
// shows the event list on request.
#include <cstdint>
#include <string>

#include "Win32EventFileSystem.h"
#include "callbacks.h"
#include "engine.h"
#include "eventfile.h"
#include "ui.h"

namespace {

constexpr int kExitBuildFailed = 1;

// The event file beside the program; empty when the program's folder is not
// known.
std::string EventFilePath() {
  char dir[ENGINE_MAX_PATHNAME_LEN];
  return message::GetEventFilePath(GetModuleDir(dir, sizeof dir) < 0 ? "" : dir);
}

}  // namespace

int main(int argc, char** argv) {
  RestrictDllSearch();
  CVI_Beep();
  int duplicate = 0;
  if (CheckForDuplicateAppInstance(&duplicate) == 0 && duplicate) return 0;

  // Worked out once: the opening of the list uses the same path.
  std::string path = EventFilePath();
  Win32EventFileSystem fs;
  // A trim cut short by a crash may have left the event file aside: it is
  // finished before the file's existence is tested.
  message::FinishEventFileTrim(fs, path);
  std::uint64_t size = 0;
  if (!message::QueryEventFileSize(fs, path, size)) {
    ShowNoEventsNotice();
    return -1;
  }
  if (InitEngine(argc, argv) < 0) return -1;

  const int panel = ui::BuildMainPanel();
  if (panel < 0) return kExitBuildFailed;
  SetCtrlAttribute(panel, ui::mainCtrl[ui::SLIDE], ATTR_VISIBLE, 0);
  SetCtrlAttribute(panel, ui::mainCtrl[ui::TEXT_WAIT], ATTR_VISIBLE, 0);
  SetCtrlAttribute(panel, ui::mainCtrl[ui::OPEN_FILE], ATTR_CALLBACK_DATA, &path);
  DisplayPanel(panel);
  RunUserInterface();
  return 0;
}
