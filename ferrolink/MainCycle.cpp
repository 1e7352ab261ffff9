// The watch cycle of TMainForm: the tick, the misconfiguration test and the
// transfer of one found file.
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
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

// True when both resolved directories are known and `inner` is `outer` or
// lies below it.
bool Below(const std::string& inner, const std::string& outer) {
  return !inner.empty() && !outer.empty() && inner.compare(0, outer.size(), outer) == 0;
}

}  // namespace

std::string ErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return kMsgNoMemory;
  } catch (const std::exception& e) {
    return std::string(kMsgUnexpected) + " (" + e.what() + ")";
  } catch (...) {
  }
  return kMsgUnexpected;
}

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
    // Settings that could not be read are read again at each tick; once
    // they read, the cycle goes on as if they had been read at start.
    if (settings_pending_) {
      ReadSettings(false);
      if (settings_pending_) return;
      platform_.SetText(Control::EditTarget, DisplayPath(TargetDir));
      platform_.SetText(Control::LabelSource, DisplayPath(SourceDir));
    }
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
      has_source_id_ = !source.empty() && platform_.FolderIdentity(source, source_id_);
      resolved_source_ = source.empty() ? std::string() : ResolvedDirectory(platform_, source);
      inside_source_.clear();
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
  } catch (...) {
    // Ticks that fall due while the message is open find the marker set and
    // do nothing; the next one after it runs a whole cycle again, at the
    // pace of an unreachable target, and never minimises the window.
    platform_.SetTimerInterval(kIntervalUnreachable);
    platform_.ShowError(ErrorText(std::current_exception()));
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
  if (NetworkForm(target).compare(0, source_form.size(), source_form) == 0) return true;
  // Other spellings of the source (a short name, a share, a subst drive, a
  // link) pass the text test: the folders' identities decide, and the paths
  // with every link followed, for a link that leads below the source's top.
  const std::string source_dir = NormalDirectory(platform_, source);
  const std::string target_dir = NormalDirectory(platform_, target);
  if (target_dir.empty()) return false;
  FolderId source_id;
  if (platform_.FolderIdentity(source_dir, source_id) &&
      LiesInside(platform_, target_dir, source_id, std::string())) {
    return true;
  }
  return Below(ResolvedDirectory(platform_, target_dir), ResolvedDirectory(platform_, source_dir));
}

bool TMainForm::InsideSource(const std::string& directory, const std::string& target_dir) {
  auto [known, added] = inside_source_.try_emplace(directory, false);
  if (added) {
    known->second = (has_source_id_ && LiesInside(platform_, directory, source_id_, target_dir)) ||
                    Below(ResolvedDirectory(platform_, directory), resolved_source_);
  }
  return known->second;
}

bool TMainForm::Deliver(const std::string& source_file, const std::string& target_file,
                        int64_t size) {
  // The copy takes its final name in one step once it is whole; in delete
  // mode it is on the server's disk before that, since the source goes next.
  const std::string temporary = TemporaryName(target_file);
  if (!platform_.CopyFileOver(source_file, temporary) ||
      (delete_checked_ && !platform_.FlushFileAt(temporary)) ||
      !platform_.MoveFileOver(temporary, target_file)) {
    platform_.DeleteFileAt(temporary);
    return false;
  }
  // A copy that reported success is trusted only with the source's size.
  uint64_t copied = 0, last_write = 0;
  return platform_.FileStamp(target_file, copied, last_write) &&
         copied == static_cast<uint64_t>(size);
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
    // A file whose relative path would leave the target, or that Windows
    // would take for another file or a device, is left alone.
    const std::string relative = RelativePath(source_dir, source_file);
    if (!StaysBelow(relative) || !KeepsItsNames(relative)) return;
    const std::string target_file = target_dir + relative;
    // Below a target that holds the source, the files whose relative path
    // begins with the source's own part below the target would land back in
    // the source tree, over the files there: such files are left alone.
    if (!source_below_target_.empty() &&
        platform_.UpperCase(relative).compare(0, source_below_target_.size(),
                                              source_below_target_) == 0) {
      return;
    }
    // The same by identity and with links followed, whatever the spelling.
    if (InsideSource(DirectoryPart(target_file), target_dir)) return;
    if (!CreateDirectoryPath(platform_, DirectoryPart(target_file))) return;
    if (!Deliver(source_file, target_file, file.Size)) return;

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
