// The seam of the walk and the folder tests over the fake disk: listings,
// identities, final paths, locations, and a network that connects or not.
#pragma once

#include "FakeDisk.h"

namespace ferrolink::test {

class FakeFolders : public Folders, public virtual FakeDisk {
 public:
  bool connection_succeeds = false;
  std::vector<std::string> connection_attempts;
  bool Connect(const std::string& remote) override {
    connection_attempts.push_back(remote);
    return connection_succeeds;
  }
  int list_calls = 0;
  class Listing : public DirectoryListing {
   public:
    explicit Listing(std::vector<ListEntry> entries) : entries_(std::move(entries)) {}
    bool Next(ListEntry& entry) override {
      if (pos_ >= entries_.size()) return false;
      entry = entries_[pos_++];
      return true;
    }

   private:
    std::vector<ListEntry> entries_;
    size_t pos_ = 0;
  };

  static bool Matches(const std::string& mask, const std::string& name) {
    if (mask == "*.*" || mask == "*") return true;
    // '*' and '?' wildcards, case-insensitive.
    std::string m = Key(mask), n = Key(name);
    size_t mi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
      if (mi < m.size() && (m[mi] == '?' || m[mi] == n[ni])) {
        ++mi;
        ++ni;
      } else if (mi < m.size() && m[mi] == '*') {
        star = mi++;
        mark = ni;
      } else if (star != std::string::npos) {
        mi = star + 1;
        ni = ++mark;
      } else {
        return false;
      }
    }
    while (mi < m.size() && m[mi] == '*') ++mi;
    return mi == m.size();
  }

  std::unique_ptr<DirectoryListing> DoListFolder(const std::string& handed) override {
    ++list_calls;
    std::string pattern;
    if (!Take(handed, pattern)) return nullptr;
    const size_t cut = pattern.find_last_of('\\');
    const std::string dir = pattern.substr(0, cut + 1), mask = pattern.substr(cut + 1);
    Node* d = Find(dir);
    if (!d || !d->dir || d->unlistable) return nullptr;
    std::vector<ListEntry> entries;
    auto add = [&](const std::string& name, const Node& n) {
      ListEntry e;
      const bool link = links.count(Key(dir + name)) != 0;
      e.CreationTime = n.ctime + local_offset;
      e.LastWriteTime = n.wtime + local_offset;
      e.LastAccessTime = n.atime + local_offset;
      e.Attributes = n.attrs | (link ? kAttrReparsePoint : 0);
      e.Size = n.listed != 0 ? n.listed : n.size;
      e.Name = name;
      entries.push_back(e);
    };
    if (Key(dir).size() > 2) {  // not a drive root
      if (Matches(mask, ".")) add(".", *d);
      if (Matches(mask, "..")) add("..", *d);
    }
    for (const std::string& child : d->children) {
      Node& n = *Find(dir + child);
      if (Matches(mask, child) || (!n.short_name.empty() && Key(mask) == Key(n.short_name))) {
        add(child, n);
      }
    }
    if (entries.empty()) return nullptr;
    return std::make_unique<Listing>(std::move(entries));
  }
  // The node times are UTC; listings give local time, this much later.
  uint64_t local_offset = 36000000000ULL;  // one hour in 100 ns units

  bool DoFolderExists(const std::string& handed) override {
    std::string path;
    Node* n = Taken(handed, path);
    return n && n->dir;
  }
  std::string DoLocation(const std::string& handed) override {
    std::string path;
    Node* n = Taken(handed, path);
    return n && n->dir ? Resolve(path) + "\\" : std::string();
  }
  std::string DoFinalPath(const std::string& handed) override {
    std::string path;
    Node* n = Taken(handed, path);
    if (!identities || !n || !n->dir) return std::string();
    return Resolve(path) + "\\";
  }
  bool DoIdentity(const std::string& handed, FileId& id) override {
    std::string path;
    Node* n = Taken(handed, path);
    if (!identities || !n) return false;
    id = {7, n->id};
    return true;
  }
};

}  // namespace ferrolink::test
