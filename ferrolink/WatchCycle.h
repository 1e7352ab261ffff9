// The watch cycle: the states of the target as the window shows them, the
// intervals of the tick, the source and target folders of a tick in every
// form they are compared in, the test that the target lies inside the
// source (a misconfiguration), the target's connection, and which folders
// the walk enters.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "Folders.h"
#include "Names.h"

namespace ferrolink {

// The caption and the task-bar text before the first cycle.
inline constexpr char kCaptionStart[] = "Ferrolink - Netzwerksuche ...";
inline constexpr char kAppTitle[] = "Ferrolink";

// Intervals of TimerFind, in milliseconds.
inline constexpr int kIntervalStart = 2000;
inline constexpr int kIntervalNewTarget = 1000;
inline constexpr int kIntervalReachable = 10000;
inline constexpr int kIntervalUnreachable = 60000;

// The target's state as the window shows it (caption, task-bar text, labels).
enum class TNetState : int32_t {
  Start = -1,         // searching, before the first cycle
  NoNetwork = 0,      // the target cannot be reached
  Reachable = 1,      // the target is there: files are transferred
  Misconfigured = 2,  // the target lies inside the source
};

// How a state looks: its words in the journal, the caption, the task-bar
// text, and whether the failure image and the message label show.
struct StateLook {
  const char* words;
  const char* caption;
  const char* app_title;
  bool failed_image;
  bool label_message;
};
StateLook LookOf(TNetState state);

// The source and target folders of one tick in every form the cycle compares
// them in, worked out once per tick.
struct TickFolders {
  std::string Source, Target;                // normal forms; empty: none
  std::string SourceNetwork, TargetNetwork;  // network forms in upper case
  bool HasSourceId = false, HasTargetId = false;
  FileId SourceId, TargetId;
  std::string ResolvedSource, ResolvedTarget;  // every link followed, upper case
  // The source's network form below the target's, when the target holds the
  // source; empty otherwise.
  std::string SourceBelowTarget;
};

class WatchCycle {
 public:
  WatchCycle(Folders& folders, Names& names) : folders_(folders), names_(names) {}

  // The tick's folders, worked out from the settings' source and target;
  // true when the target lies inside the source.
  bool Begin(const std::string& source, const std::string& target);
  const TickFolders& Tick() const { return tick_; }
  // True when the target answers, or answers once connected.
  bool Reachable(const std::string& target);
  // True when a found file's target (its path below the target folder, and
  // the file there) would land back in the source tree.
  bool LandsInSource(const std::string& relative, const std::string& target_file);
  // False for a folder, met by the walk through a link, that is the target or
  // lies inside it and not in the source: files delivered there stay.
  // A link that leads back into the source is not entered either: the walk
  // meets that folder at its own place, where its files belong.
  bool WalkEnters(const std::string& directory, bool is_link);
  // True when the target lies inside the source, under any spelling.
  bool TargetInside(const std::string& source, const std::string& target);

 private:
  TickFolders FormsOf(const std::string& source, const std::string& target);
  bool TargetInside(const TickFolders& folders);

  Folders& folders_;
  Names& names_;
  TickFolders tick_;
  // The target folders already tested against the source in this tick.
  std::map<std::string, bool> inside_source_;
};

}  // namespace ferrolink
