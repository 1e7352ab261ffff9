#include "WatchCycle.h"

#include "Paths.h"

namespace ferrolink {

StateLook LookOf(TNetState state) {
  switch (state) {
    case TNetState::NoNetwork:
      return {"Kein Netz", "Ferrolink - Kein Netz", "Ferrolink: Kein Netz", true, false};
    case TNetState::Reachable:
      return {"Netz OK", "Ferrolink - Netz OK", "Ferrolink: Netz OK", false, false};
    case TNetState::Misconfigured:
      return {"Fehlkonfiguration", "Ferrolink - Fehlkonfiguration", "Ferrolink: Fehlkonfiguration",
              false, true};
    case TNetState::Start:
      break;
  }
  return {"", kCaptionStart, kAppTitle, true, false};
}

bool WatchCycle::Begin(const std::string& source, const std::string& target) {
  tick_ = FormsOf(source, target);
  inside_source_.clear();
  return TargetInside(tick_);
}

bool WatchCycle::Reachable(const std::string& target) {
  // A target that answers needs no connection: each attempt is a log-on at
  // the server.
  return folders_.FolderExists(target) || folders_.Connect(target);
}

TickFolders WatchCycle::FormsOf(const std::string& source, const std::string& target) {
  TickFolders f;
  f.Source = NormalDirectory(names_, source);
  f.Target = NormalDirectory(names_, target);
  f.SourceNetwork = NetworkForm(names_, f.Source);
  f.TargetNetwork = NetworkForm(names_, f.Target);
  f.SourceBelowTarget = PartBelow(f.SourceNetwork, f.TargetNetwork);
  f.HasSourceId = !f.Source.empty() && folders_.Identity(f.Source, f.SourceId);
  f.HasTargetId = !f.Target.empty() && folders_.Identity(f.Target, f.TargetId);
  f.ResolvedSource = ResolvedDirectory(folders_, names_, f.Source);
  f.ResolvedTarget = ResolvedDirectory(folders_, names_, f.Target);
  return f;
}

bool WatchCycle::TargetInside(const std::string& source, const std::string& target) {
  return TargetInside(FormsOf(source, target));
}

bool WatchCycle::TargetInside(const TickFolders& f) {
  // A source without a network form (no path, or one too long for it) holds
  // nothing.
  if (f.SourceNetwork.empty()) return false;
  if (LiesBelow(f.TargetNetwork, f.SourceNetwork)) return true;
  // Other spellings of the source (a short name, a share, a subst drive, a
  // link) pass the text test: the folders' identities decide, and the paths
  // with every link followed, for a link that leads below the source's top.
  if (f.Target.empty()) return false;
  if (f.HasSourceId && LiesInside(folders_, names_, f.Target, f.SourceId, std::string())) {
    return true;
  }
  return LiesBelow(f.ResolvedTarget, f.ResolvedSource);
}

bool WatchCycle::LandsInSource(const std::string& relative, const std::string& target_file) {
  // Below a target that holds the source, the files whose relative path
  // begins with the source's own part below the target would land back in
  // the source tree, over the files there. The same by identity and with
  // links followed, whatever the spelling.
  if (LiesBelow(names_.UpperCase(relative), tick_.SourceBelowTarget)) return true;
  const std::string directory = DirectoryPart(target_file);
  auto [known, added] = inside_source_.try_emplace(directory, false);
  if (added) {
    known->second = (tick_.HasSourceId &&
                     LiesInside(folders_, names_, directory, tick_.SourceId, tick_.Target)) ||
                    LiesBelow(ResolvedDirectory(folders_, names_, directory), tick_.ResolvedSource);
  }
  return known->second;
}

bool WatchCycle::WalkEnters(const std::string& directory, bool is_link) {
  // Where the file system cannot follow the links, the folder's own
  // identity is all there is to go by.
  const std::string resolved = ResolvedDirectory(folders_, names_, directory);
  if (resolved.empty()) {
    FileId id;
    return !tick_.HasTargetId || !folders_.Identity(directory, id) || id != tick_.TargetId;
  }
  // A folder of the source is entered by its own name only: through a link
  // its files would arrive a second time, at another place. A target that
  // holds the source holds every folder of the source too.
  if (LiesBelow(resolved, tick_.ResolvedSource)) return !is_link;
  if (tick_.HasSourceId && LiesInside(folders_, names_, resolved, tick_.SourceId, std::string())) {
    return true;
  }
  return !LiesBelow(resolved, tick_.ResolvedTarget) &&
         !(tick_.HasTargetId &&
           LiesInside(folders_, names_, resolved, tick_.TargetId, std::string()));
}

}  // namespace ferrolink
