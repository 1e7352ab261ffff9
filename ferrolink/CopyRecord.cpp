#include "CopyRecord.h"

#include <charconv>
#include <vector>

namespace ferrolink {

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

template <typename Number>
bool ReadNumber(const std::string& text, Number& number) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, number);
  return !text.empty() && error == std::errc() && at == end;
}

std::string Named(const std::string& entry, const std::string& path) {
  return "N\t" + entry + "\t" + path + "\n";
}

std::string Identified(const std::string& entry, const FileId& id) {
  return "I\t" + entry + "\t" + std::to_string(id.Volume) + "\t" + std::to_string(id.Index) + "\n";
}

}  // namespace

std::map<std::string, std::pair<std::string, FileId>> LiveCopies(const std::string& text) {
  std::map<std::string, std::string> named;
  std::map<std::string, std::pair<std::string, FileId>> live;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::vector<std::string> f = Fields(text.substr(start, end - start));
    if (f.size() == 3 && f[0] == "N" && !f[2].empty()) {
      // A name given again starts its entry afresh.
      named[f[1]] = f[2];
      live.erase(f[1]);
    } else if (f.size() == 4 && f[0] == "I") {
      FileId id;
      const auto name = named.find(f[1]);
      if (name != named.end() && ReadNumber(f[2], id.Volume) && ReadNumber(f[3], id.Index)) {
        live[f[1]] = {name->second, id};
      }
    } else if (f.size() == 2 && f[0] == "X") {
      named.erase(f[1]);
      live.erase(f[1]);
    }
  }
  return live;
}

void CopyRecord::Open(const std::string& target) {
  opened_ = true;
  const std::string folder = files_.LocalDataFolder();
  if (folder.empty()) return;
  path_ = folder + kCopyRecordName;
  files_.MakeFolder(path_.substr(0, path_.find_last_of('\\')));
  std::string text;
  if (files_.ReadWholeFile(path_, text) != FileRead::Ok) {
    file_ = files_.OpenForAppend(path_);
    return;
  }
  // What is left over begins the new record under entries of this run.
  for (const auto& [old_entry, copy] : LiveCopies(text)) {
    const Entry entry{copy.first, true, copy.second};
    if (Below(entry, target) && Remove(entry)) continue;
    waiting_[names_.ProcessTag() + "." + std::to_string(++next_)] = entry;
  }
  Begin();
}

void CopyRecord::Begin() {
  std::string kept;
  for (const auto& [key, entry] : waiting_)
    kept += Named(key, entry.path) + Identified(key, entry.id);
  // The old record stays whole unless the new one is in place.
  file_.reset();
  files_.ReplaceWholeFile(path_, kept);
  file_ = files_.OpenForAppend(path_);
  written_ = 0;
}

void CopyRecord::Tidy(const std::string& target) {
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if (!Below(it->second, target) || !Remove(it->second)) {
      ++it;
      continue;
    }
    Write("X\t" + it->first + "\n");
    it = waiting_.erase(it);
  }
  // A record of a run that lasts for weeks begins anew once it has grown
  // large; at a cycle's start no copy is under way.
  if (written_ > renew_at_ && live_.empty() && !path_.empty()) Begin();
}

std::string CopyRecord::Naming(const std::string& path) {
  const std::string key = names_.ProcessTag() + "." + std::to_string(++next_);
  live_[key].path = path;
  Write(Named(key, path));
  return key;
}

void CopyRecord::Made(const std::string& entry, const FileId& id) {
  const auto it = live_.find(entry);
  if (it == live_.end()) return;
  it->second.has_id = true;
  it->second.id = id;
  Write(Identified(entry, id));
}

void CopyRecord::Placed(const std::string& entry) {
  if (live_.erase(entry) != 0) Write("X\t" + entry + "\n");
}

void CopyRecord::Dropped(const std::string& entry) {
  const auto it = live_.find(entry);
  if (it == live_.end()) return;
  const Entry copy = it->second;
  live_.erase(it);
  // Without an identity there is nothing the record could prove of it.
  if (!copy.has_id) return;
  if (Remove(copy)) {
    Write("X\t" + entry + "\n");
  } else {
    waiting_[entry] = copy;
  }
}

bool CopyRecord::Remove(const Entry& entry) {
  switch (files_.RemoveIfSame(entry.path, entry.id)) {
    case Removal::Removed:
    case Removal::NotOurs:
      return true;
    case Removal::Held:
    case Removal::Failed:
      break;
  }
  return false;
}

bool CopyRecord::Below(const Entry& entry, const std::string& target) {
  return !target.empty() && names_.UpperCase(entry.path).rfind(names_.UpperCase(target), 0) == 0;
}

void CopyRecord::Write(const std::string& line) {
  written_ += line.size();
  if (file_) file_->Append(line);
}

}  // namespace ferrolink
