// The delivery of one found file: where it goes, the reasons to leave it at
// the source, the source held, copied whole to the server, checked there
// byte for byte and put in place under its final name, then deleted or
// un-marked; the journal's line for each. It keeps
// what a delivery needs to remember: the reasons told, the files that wait,
// the record of the copies made at the server and the copy's progress.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "CopyRecord.h"
#include "Folders.h"
#include "Journal.h"
#include "LeftFiles.h"
#include "Names.h"
#include "Searcher.h"
#include "Transfer.h"
#include "TransferFiles.h"

namespace ferrolink {

// Why a file stays at the source, in the journal's words, where another job
// finds the reason.
inline constexpr char kLeftIntoSource[] = "Ziel läge im Quellverzeichnis";

// A found file with the paths of its way.
struct FoundFile {
  std::string name;
  std::string source_file;
  std::string relative;     // below the source folder, and so below the target
  std::string target_file;  // empty when it has no place below the target
  uint32_t attributes = 0;
  Listed listed;
};

// What a copy under way tells and asks.
struct CopyWatch {
  // True once the copy is to end at once (a close, a log-off).
  std::function<bool()> cancelled;
  // True while a new target is being chosen: the copy ends unless more than
  // a second of it is left.
  std::function<bool()> target_changing;
  // The share done, in percent, of a copy that takes a while, and whether
  // the copy at the server is being checked by now.
  std::function<void(int percent, bool checking)> show;
};

// How a found file's delivery went, for the window.
struct Delivered {
  bool placed = false;       // the copy reached its final name
  bool share_shown = false;  // the copy's share was shown meanwhile
};

class FileDelivery {
 public:
  FileDelivery(TransferFiles& files, Names& names, Folders& folders, Journal& journal)
      : files_(files), names_(names), folders_(folders), journal_(journal) {}

  // At a reachable cycle's start, before its walk: the reasons are told
  // again after the journal dropped lines, and the copies that an earlier
  // run or a server gone away left below `target` go, once nobody holds
  // them.
  void BeginCycle(const std::string& target);
  // At the end of the walk; `complete` when it went to its end.
  void EndWalk(bool complete) { left_.EndWalk(complete); }
  // The found file's paths below the tick's folders; false, with a journal
  // line, when its path would leave the target or Windows would take it for
  // another file or a device.
  bool Place(const TFoundFile& file, const std::string& source_dir, const std::string& target_dir,
             FoundFile& found);
  // The file stays at the source for `reason`: a journal line, unless it
  // was left for the same reason before.
  void Leave(const FoundFile& found, const std::string& reason) { Leave(found, reason, {}); }
  // Delivers the file to its target (in `delete_mode` the source goes, else
  // its archive bit), or leaves it, with a journal line for either.
  Delivered Deliver(const FoundFile& found, const std::string& target_dir, bool delete_mode,
                    const CopyWatch& watch);

 private:
  // Why a step failed: the system's words, whether the reason does not pass
  // by itself (the file then waits before its next try) and whether it is a
  // final name held at the server.
  struct Why {
    std::string error;
    bool lasting = false;
    bool final_name_held = false;
  };
  void Leave(const FoundFile& found, const std::string& reason, const Why& why);
  // True when the file is tried now; it waits otherwise.
  bool Due(const FoundFile& found);
  // The held source, or null after the file was left.
  std::unique_ptr<HeldSource> Hold(const FoundFile& found, bool delete_mode);
  // True when a name of `relative` below `target_dir` is, at the target,
  // another file's or folder's name: the short name of a longer one.
  bool NamesAnotherFile(const std::string& target_dir, const std::string& relative);
  // Nothing followed a link to open the held source: its path through the
  // handle is the one its folder gives for its listed name.
  bool HeldIsListed(HeldSource& source, const FoundFile& found);
  // Hears how far the copy and its check are: shows their share once they
  // have taken a second, at most four times a second; false cancels them.
  bool CopyGoesOn(const CopyWatch& watch, uint64_t copied, uint64_t total, bool checking);
  // After the copy reached its final name: the source is deleted or
  // un-marked, the journal says so.
  void Settle(const FoundFile& found, HeldSource& source, bool delete_mode);
  // How a delivery that did not end at its final name leaves the file.
  void Undelivered(Delivery delivery, const DeliveryError& error, const FoundFile& found);

  TransferFiles& files_;
  Names& names_;
  Folders& folders_;
  Journal& journal_;
  // The files left at the source, their reasons and their waits.
  LeftFiles left_;
  // The temporary copies made at the server.
  CopyRecord record_{files_, names_};
  // The folders of this cycle's files as the system names them.
  std::map<std::string, std::string> locations_;
  // The copy under way: when it began, when its share was last shown (0:
  // not yet), and whether it was cancelled.
  uint64_t copy_began_ = 0;
  uint64_t progress_shown_ = 0;
  bool copy_cancelled_ = false;
};

}  // namespace ferrolink
