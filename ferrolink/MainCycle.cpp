// The watch cycle of TMainForm: the tick, the misconfiguration test and the
// transfer of one found file.
#include <cstdint>
#include <exception>
#include <limits>
#include <string>

#include "Main.h"
#include "Paths.h"
#include "Transfer.h"

namespace ferrolink {

namespace {

struct StateLook {
  const char* caption;
  const char* app_title;
  bool failed_image;
  bool label_message;
};

StateLook LookOf(int32_t state) {
  switch (state) {
    case 0:
      return {"Ferrolink - Kein Netz", "Ferrolink: Kein Netz", true, false};
    case 1:
      return {"Ferrolink - Netz OK", "Ferrolink: Netz OK", false, false};
    case 2:
      return {"Ferrolink - Fehlkonfiguration", "Ferrolink: Fehlkonfiguration", false, true};
    default:
      return {kCaptionStart, kAppTitle, true, false};
  }
}

// True when the source file still has the size and last-write time of its
// record, so deleting it or clearing its archive bit loses no later write.
// The record holds local times.
bool Unchanged(Platform& platform, const std::string& path, const TFoundFile& file) {
  uint64_t size = 0, last_write = 0;
  if (!platform.FileStamp(path, size, last_write)) return false;
  return size == static_cast<uint64_t>(file.Size) &&
         platform.ToLocalFileTime(last_write) == file.LastWriteTime;
}

}  // namespace

void TMainForm::ShowState(int32_t state) {
  const StateLook look = LookOf(state);
  platform_.SetCaption(look.caption);
  platform_.SetAppTitle(look.app_title);
  platform_.SetVisible(Control::FailedImage, look.failed_image);
  platform_.SetVisible(Control::LabelMessage, look.label_message);
}

void TMainForm::SetBusy(bool busy) {
  busy_ = busy;
  if (busy) {
    platform_.SetBusyCursor(CursorOwner::MainForm, true);
    platform_.SetBusyCursor(CursorOwner::GroupBoxDone, true);
    platform_.SetBusyCursor(CursorOwner::GroupBoxTarget, true);
  } else {
    platform_.SetBusyCursor(CursorOwner::GroupBoxDone, false);
    platform_.SetBusyCursor(CursorOwner::GroupBoxTarget, false);
    platform_.SetBusyCursor(CursorOwner::MainForm, false);
  }
}

void TMainForm::TimerFindTimer() {
  if (busy_) return;
  try {
    if (TargetInsideSource(SourceDir, TargetDir)) {
      if (NetState != 2) {
        NetState = 2;
        ShowState(2);
      }
      return;
    }
    SetBusy(true);
    const bool reachable =
        platform_.AddConnection(TargetDir) || DirectoryExists(platform_, TargetDir);
    if (reachable) {
      if (NetState != 1) {
        NetState = 1;
        ShowState(1);
      }
      if (platform_.TimerInterval() == kIntervalStart) platform_.MinimizeApplication();
      // An empty source (the registry key missing) has no normal form and
      // is not searched: that would walk the current directory.
      const std::string source = NormalDirectory(platform_, SourceDir);
      const std::string source_form = NetworkForm(SourceDir);
      const std::string target_form = NetworkForm(TargetDir);
      source_below_target_ =
          !target_form.empty() && source_form.compare(0, target_form.size(), target_form) == 0
              ? source_form.substr(target_form.size())
              : std::string();
      if (!source.empty() && FileSearcher) {
        FileSearcher->Start(source + "*.*");
      }
      platform_.SetTimerInterval(kIntervalReachable);
    } else {
      if (NetState != 0) {
        NetState = 0;
        ShowState(0);
      }
      platform_.SetTimerInterval(kIntervalUnreachable);
    }
    SetBusy(false);
  } catch (const std::exception& error) {
    // Ticks that fall due while the message is open find the marker set and
    // do nothing; the next one after it runs a whole cycle again.
    platform_.ShowError(error.what());
    SetBusy(false);
  } catch (...) {
    platform_.ShowError("Unbekannter Fehler");
    SetBusy(false);
  }
}

std::string TMainForm::NetworkForm(const std::string& directory) {
  // The normal form first, so that "." and ".." parts, forward slashes or
  // doubled separators cannot hide one directory inside another.
  return platform_.UpperCase(ExpandToUnc(platform_, NormalDirectory(platform_, directory)));
}

bool TMainForm::TargetInsideSource(const std::string& source, const std::string& target) {
  const std::string source_form = NetworkForm(source);
  if (source_form.empty()) return false;
  return NetworkForm(target).compare(0, source_form.size(), source_form) == 0;
}

void TMainForm::CopyFoundFile(TFoundFile& file) {
  if ((file.Attributes & kAttrReadOnly) != 0 || (file.Attributes & kAttrArchive) == 0) return;
  [&] {
    if ((file.Attributes & kAttrDirectory) != 0 || !file.Directory) return;
    const std::string& directory = *file.Directory;
    const std::string source_file = directory.empty() || directory.back() == '\\'
                                        ? directory + file.Name
                                        : directory + "\\" + file.Name;
    const std::string source_dir = NormalDirectory(platform_, SourceDir);
    const std::string target_dir = NormalDirectory(platform_, TargetDir);
    if (source_dir.empty() || target_dir.empty()) return;
    // A file whose relative path would leave the target is left alone.
    const std::string relative = RelativePath(source_dir, source_file);
    if (!StaysBelow(relative)) return;
    const std::string target_file = target_dir + relative;
    // Below a target that holds the source, the files whose relative path
    // begins with the source's own part below the target would land back in
    // the source tree, over the files there: such files are left alone.
    if (!source_below_target_.empty() &&
        platform_.UpperCase(relative).compare(0, source_below_target_.size(),
                                              source_below_target_) == 0) {
      return;
    }
    if (!CreateDirectoryPath(platform_, DirectoryPart(target_file))) return;
    if (!platform_.CopyFileOver(source_file, target_file)) return;

    platform_.SetAppTitle(std::string("Ferrolink: ") + file.Name);
    // The count stops at its largest value instead of overflowing.
    if (CopyCount < std::numeric_limits<int32_t>::max()) ++CopyCount;
    platform_.SetText(Control::LabelBranch, relative);
    if (delete_checked_) {
      platform_.SetText(Control::LabelStatus,
                        std::to_string(CopyCount) + " Datei(en) transferiert.");
      if (Unchanged(platform_, source_file, file)) platform_.DeleteFileAt(source_file);
    } else {
      platform_.SetText(Control::LabelStatus, std::to_string(CopyCount) + " Datei(en) dupliziert.");
      if (Unchanged(platform_, source_file, file)) {
        platform_.SetFileAttributesAt(source_file, file.Attributes & 0xFF & 0xDF);
      }
    }
  }();
  if (!platform_.TimerEnabled() && FileSearcher) FileSearcher->Stop();
}

}  // namespace ferrolink
