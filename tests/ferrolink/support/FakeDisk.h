// The fake computer's disk, the virtual base of every seam's fake: files and
// folders with attributes, sizes, times, listing order and identities, links
// that give a folder a second spelling, what Windows takes of a path, a
// server that went away, the last failure, and whole files read and replaced.
// Its includes serve the seams' fakes as well.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "System.h"
#include "Utf.h"

namespace ferrolink::test {

class FakeDisk {
 public:
  // Never copied or moved: the seams' fakes and their handles point into it.
  FakeDisk& operator=(FakeDisk&&) = delete;
  struct Node {
    bool dir = false;
    uint32_t attrs = kAttrArchive;
    std::string content;
    uint64_t size = 0;  // used instead of content.size() when set larger
    uint64_t ctime = 1, wtime = 2, atime = 3;
    std::vector<std::string> children;  // listing order, as created
    bool unlistable = false;
    bool locked = false;          // held without sharing: nothing can open it
    bool held = false;            // a writer holds it, sharing reading
    bool reader = false;          // a reader holds it, sharing reading only (a viewer)
    bool settle_fails = false;    // its delete or un-marking fails
    uint64_t listed = 0;          // not 0: the size a listing shows instead (it lags)
    std::string short_name;       // its 8.3 name, which names it as well
    bool read_fails = false;      // ReadWholeFile fails (open for writing elsewhere)
    bool write_fails = false;     // ReplaceWholeFile fails
    uint64_t id = 0;              // the identity's index
    int holders = 0;              // transfers that hold it as their source
    bool delete_pending = false;  // deleted by a holder: gone when the last one lets go
    // What this PC's client cache keeps of a file it wrote, where the server
    // stored other bytes: a buffered read answers with it, an unbuffered
    // one with what the server stored.
    std::optional<std::string> cached;
  };

  // Copies a file's bytes from `offset` into `buffer`: its content, then
  // zeros up to a size set larger. The count copied.
  static uint32_t BytesOf(const Node& n, uint64_t offset, char* buffer, uint32_t size) {
    const std::string& content = n.content;
    const uint64_t left = offset < n.size ? n.size - offset : 0;
    const uint32_t got = static_cast<uint32_t>(std::min<uint64_t>(size, left));
    const size_t have =
        offset < content.size() ? std::min<size_t>(content.size() - offset, got) : 0;
    if (have != 0) std::copy_n(content.data() + offset, have, buffer);
    std::fill(buffer + have, buffer + got, '\0');
    return got;
  }

  // The capital the system folds a UTF-16 unit to: ASCII, Latin-1, Latin
  // Extended-A, Greek, Cyrillic and the full-width Latin letters.
  static char16_t FoldUnit(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if (c == 0x3C2) return 0x3A3;
    if ((c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x44F)) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
    return c;
  }
  // Byte by byte where it can: every fold keeps a character's UTF-8 length,
  // and paths of 32767 units are folded often.
  static std::string Fold(const std::string& text) {
    std::string folded = text;
    for (size_t i = 0; i < folded.size();) {
      char* const bytes = folded.data();
      const size_t size = folded.size();
      while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80) {
        if (bytes[i] >= 'a' && bytes[i] <= 'z') bytes[i] = static_cast<char>(bytes[i] - 32);
        ++i;
      }
      if (i == size) break;
      const unsigned char lead = static_cast<unsigned char>(bytes[i]);
      size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      length = std::min(length, folded.size() - i);
      std::u16string units = Utf16FromUtf8(folded.substr(i, length));
      for (char16_t& c : units) c = FoldUnit(c);
      const std::string back = Utf8FromUtf16(units);
      if (back.size() == length) folded.replace(i, length, back);
      i += length;
    }
    return folded;
  }
  // UTF-16 units of the logic's UTF-8 (every byte but a continuation byte
  // begins one unit, a four-byte character takes two).
  static size_t Units(const std::string& text) {
    size_t units = 0;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text.data());
    for (const unsigned char* end = b + text.size(); b != end; ++b) {
      units += (*b & 0xC0) != 0x80 ? (*b >= 0xF0 ? 2 : 1) : 0;
    }
    return units;
  }
  static std::string Key(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\') path.pop_back();
    return Fold(path);
  }
  static std::string Parent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    const size_t cut = p.find_last_of('\\');
    return cut == std::string::npos ? std::string() : p.substr(0, cut);
  }
  static std::string Leaf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    const size_t cut = p.find_last_of('\\');
    return cut == std::string::npos ? p : p.substr(cut + 1);
  }

  // The key of the node a path names, every link on the way followed (a
  // link to a folder above it would loop: the hops are bounded).
  std::string Resolve(const std::string& path) const {
    std::string key = Key(path);
    if (links.empty()) return key;
    for (int hops = 0; hops < 64; ++hops) {
      bool followed = false;
      for (size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
        auto it = links.find(end == std::string::npos ? key : key.substr(0, end));
        if (it != links.end()) {
          key = it->second + (end == std::string::npos ? std::string() : key.substr(end));
          followed = true;
          break;
        }
        if (end == std::string::npos) break;
      }
      if (!followed) break;
    }
    return key;
  }
  Node* Find(const std::string& path) {
    auto it = fs.find(Resolve(path));
    if (it != fs.end()) return &it->second;
    // A short name ("MESSUN~1.DFQ") names the file it belongs to.
    const std::string parent = Parent(path);
    Node* folder = parent.empty() ? nullptr : Find(parent);
    if (!folder || !folder->dir) return nullptr;
    for (const std::string& child : folder->children) {
      auto named = fs.find(Resolve(parent + "\\" + child));
      if (named == fs.end() || named->second.short_name.empty()) continue;
      if (Key(named->second.short_name) == Key(Leaf(path))) return &named->second;
    }
    return nullptr;
  }
  Node& AddDir(const std::string& path) {
    const std::string key = Resolve(path);
    auto it = fs.find(key);
    if (it != fs.end()) return it->second;
    const std::string parent = Parent(path);
    if (!parent.empty() && Resolve(parent) != key) {
      AddDir(parent).children.push_back(Leaf(path));
    }
    Node& n = fs[key];
    n.dir = true;
    n.attrs = kAttrDirectory;
    n.id = ++last_id;
    return n;
  }
  // A second spelling of an existing folder: a link (a junction, a symbolic
  // link, a subst drive, a share) at `alias` that leads to `target`.
  void AddLink(const std::string& alias, const std::string& target) {
    if (Node* parent = Find(Parent(alias))) parent->children.push_back(Leaf(alias));
    links[Key(alias)] = Resolve(target);
  }
  Node& AddFile(const std::string& path, const std::string& content = "data",
                uint32_t attrs = kAttrArchive) {
    Node* existing = Find(path);
    if (!existing) AddDir(Parent(path)).children.push_back(Leaf(path));
    Node& n = fs[Resolve(path)];
    if (n.id == 0) n.id = ++last_id;
    n.dir = false;
    n.attrs = attrs;
    n.content = content;
    n.size = content.size();
    return n;
  }
  void Remove(const std::string& path) {
    if (Node* parent = Find(Parent(path))) {
      auto& ch = parent->children;
      const std::string leaf = Key(Leaf(path));
      ch.erase(std::remove_if(ch.begin(), ch.end(),
                              [&](const std::string& c) { return Key(c) == leaf; }),
               ch.end());
    }
    if (links.erase(Key(path)) == 0) fs.erase(Resolve(path));  // a link goes, not its folder
  }
  // Another program renames a file: it keeps its identity and its holders.
  void Rename(const std::string& from, const std::string& to) {
    const Node moved = *Find(from);
    Remove(from);
    AddFile(to) = moved;
  }
  bool Exists(const std::string& path) { return Find(path) != nullptr; }
  std::string Content(const std::string& path) {
    Node* n = Find(path);
    return n ? n->content : std::string("<missing>");
  }

  std::map<std::string, Node> fs;
  std::map<std::string, std::string> links;  // alias key -> key of the folder
  uint64_t last_id = 0;
  bool identities = true;                   // false: a file system that gives no folder identity
  std::vector<std::string> replaced_files;  // paths written, in order

  // ---- what Windows takes of a path ----
  // A plain path below 260 UTF-16 units, below 248 for a folder to be made;
  // the long form ("\\?\C:\...", "\\?\UNC\server\share\...") up to 32767,
  // each name up to 255. `plain` gets the path as the fake keeps it.
  static constexpr size_t kPlainLimit = 260;
  static constexpr size_t kPlainFolderLimit = 248;
  static constexpr char kTooLong[] = "Der Dateiname oder die Erweiterung ist zu lang";
  size_t longest_handed = 0;  // the most units of a path the fake took
  bool Take(const std::string& handed, std::string& plain, size_t plain_limit = kPlainLimit) {
    const size_t units = Units(handed);
    if (Gone(Plain(handed))) return Fail(kGone);
    if (handed.rfind("\\\\?\\", 0) != 0) {
      if (units >= plain_limit) return Fail(kTooLong);
      plain = handed;
    } else {
      plain = Plain(handed);
      if (units > 32767) return Fail(kTooLong);
      for (size_t start = 0; start < plain.size();) {
        const size_t end = std::min(plain.find('\\', start), plain.size());
        if (Units(plain.substr(start, end - start)) > 255) return Fail(kTooLong);
        start = end + 1;
      }
    }
    longest_handed = std::max(longest_handed, units);
    return true;
  }

  static std::string Plain(const std::string& handed) {
    if (handed.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + handed.substr(8);
    return handed.rfind("\\\\?\\", 0) == 0 ? handed.substr(4) : handed;
  }
  // ---- a server that went away, or that counts a name's length in bytes ----
  std::string gone_below;           // every call below this path fails
  std::string bytes_counted_below;  // a name longer than 255 bytes is refused here
  static constexpr char kGone[] = "Der Netzwerkpfad wurde nicht gefunden";
  static constexpr char kNotFound[] = "Datei nicht gefunden";
  bool Gone(const std::string& path) const {
    return !gone_below.empty() && Key(path).rfind(Key(gone_below), 0) == 0;
  }
  // False, with the answer Wine gives on a Linux file system, for a name
  // that the server cannot store.
  bool StoresName(const std::string& path) {
    if (bytes_counted_below.empty() || Key(path).rfind(Key(bytes_counted_below), 0) != 0) {
      return true;
    }
    return Leaf(path).size() <= 255 || Fail(kNotFound, ErrorKind::Name);
  }

  // ---- the failure of the last call that failed ----
  std::string last_error;  // the words for the failure of the last call that failed
  ErrorKind last_kind = ErrorKind::Passing;
  static constexpr char kSharingViolation[] = "Datei wird von einem anderen Prozess verwendet";
  static constexpr char kAccessDenied[] = "Zugriff verweigert";
  static constexpr char kDiskFull[] = "Datentr\u00e4ger voll";
  bool Fail(const char* why, ErrorKind kind = ErrorKind::Passing) {
    last_error = why;
    last_kind = why == kAccessDenied || why == kDiskFull ? ErrorKind::Lasting : kind;
    return false;
  }

  // The node a handed path names; null when there is none or the path is
  // refused. `path` gets the path as the fake keeps it.
  Node* Taken(const std::string& handed, std::string& path) {
    return Take(handed, path) ? Find(path) : nullptr;
  }
  std::set<std::string> unwritable_dirs;  // keys of folders where no file can be made
  bool Writable(const std::string& folder) {
    return Find(folder) && unwritable_dirs.count(Key(folder)) == 0;
  }
};

// A seam that reads and replaces whole files (the settings, the record of
// copies) does so on the disk.
template <class Seam>
class WholeFiles : public Seam, public virtual FakeDisk {
 public:
  FileRead DoReadWholeFile(const std::string& handed, std::string& bytes) override {
    std::string path;
    if (!Take(handed, path)) return FileRead::Failed;
    Node* n = Find(path);
    if (!n || n->dir) return FileRead::Missing;
    if (n->read_fails || n->held || n->locked) return FileRead::Failed;
    bytes = n->cached.value_or(n->content);
    return FileRead::Ok;
  }
  bool DoReplaceWholeFile(const std::string& handed, const std::string& bytes) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if ((n && n->write_fails) || !Writable(Parent(path))) return false;
    replaced_files.push_back(path);
    Node& f = AddFile(path, bytes, kAttrArchive);
    f.write_fails = n ? n->write_fails : false;
    return true;
  }
};

// The fakes of the seams a test needs, in one object over one disk:
// `FakeParts<FakeFolders, FakeNames> p` goes wherever a Folders& or a Names&
// is asked for, and lays out files as the disk does.
template <class... Fakes>
class FakeParts : public Fakes... {};

}  // namespace ferrolink::test
