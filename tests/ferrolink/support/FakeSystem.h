// A fake of what Ferrolink asks of the system: a file system that keeps
// attributes, sizes, times, listing order and identities, with links that
// give a folder a second spelling, a registry value, a network provider, the
// ANSI code page 1252, a case fold over the scripts the tests use and a text
// measure of 7 pixels per character (per UTF-16 unit).
#pragma once

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <memory>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "System.h"
#include "Utf.h"

namespace ferrolink::test {

class FakeSystem : public SettingsStore,
                   public Names,
                   public Folders,
                   public TransferFiles,
                   public JournalFiles {
 public:
  FakeSystem() { AddDir(local_data + "Ferrolink"); }
  // Every seam, over this one fake.
  operator System() { return {*this, *this, *this, *this, *this}; }
  // ---- file system ----
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
  };

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
  bool identities = true;  // false: a file system that gives no folder identity
  int list_calls = 0;

  // ---- registry ----
  bool key_exists = true;
  SettingsValue value_kind = SettingsValue::String;
  std::string settings_value;

  // ---- network ----
  std::map<std::string, std::string> unc_by_drive;  // "Q" -> "\\server\share"
  bool connection_succeeds = false;
  std::vector<std::string> connection_attempts;

  // ---- process ----
  std::string current_dir = "C:\\Work\\";
  std::string process_tag;  // none: the temporary names the tests expect
  std::string ProcessTag() override { return process_tag; }
  std::string module_file = "C:\\Tools\\Ferrolink.exe";
  bool has_version = true;
  uint32_t version_high = 0x07DC0001, version_low = 0;

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
    if (!gone_below.empty() && Key(Plain(handed)).rfind(Key(gone_below), 0) == 0) {
      return Fail(kGone);
    }
    if (handed.rfind("\\\\?\\", 0) != 0) {
      if (units >= plain_limit) return Fail(kTooLong);
      plain = handed;
    } else {
      plain = handed.rfind("\\\\?\\UNC\\", 0) == 0 ? "\\\\" + handed.substr(8) : handed.substr(4);
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

  // ---- System ----
  SettingsValue SettingsFilePath(std::string& path) override {
    if (!key_exists) return SettingsValue::NoKey;
    path = value_kind == SettingsValue::String ? settings_value : std::string();
    return value_kind;
  }

  FileRead DoReadWholeFile(const std::string& handed, std::string& bytes) override {
    std::string path;
    if (!Take(handed, path)) return FileRead::Failed;
    Node* n = Find(path);
    if (!n || n->dir) return FileRead::Missing;
    if (n->read_fails || n->held || n->locked) return FileRead::Failed;
    bytes = n->content;
    return FileRead::Ok;
  }
  bool DoReplaceWholeFile(const std::string& handed, const std::string& bytes) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if ((n && n->write_fails) || !Find(Parent(path)) || unwritable_dirs.count(Key(Parent(path)))) {
      return false;
    }
    replaced_files.push_back(path);
    Node& f = AddFile(path, bytes, kAttrArchive);
    f.write_fails = n ? n->write_fails : false;
    return true;
  }
  std::set<std::string> unwritable_dirs;  // keys of folders where no file can be made

  std::string FullPath(const std::string& path) override {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.empty()) return std::string();
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return p;
    if (p.size() < 2 || p[1] != ':')
      p = p[0] == '\\' ? current_dir.substr(0, 2) + p : current_dir + p;
    if (p.size() > 2 && p[2] != '\\') return p;  // "C:name", in drive C's current folder
    // "." and ".." names go, as the system's full path has none.
    std::vector<std::string> names;
    size_t start = 3;
    while (start <= p.size()) {
      size_t end = p.find('\\', start);
      if (end == std::string::npos) end = p.size();
      const std::string name = p.substr(start, end - start);
      if (name == "..") {
        if (!names.empty()) names.pop_back();
      } else if (name != "." && !(name.empty() && end < p.size())) {
        names.push_back(name);
      }
      start = end + 1;
    }
    std::string full = p.substr(0, 2);
    for (const std::string& name : names) full += "\\" + name;
    return full.size() == 2 ? full + "\\" : full;
  }
  std::string ProgramFile() override { return module_file; }

  bool UniversalName(const std::string& path, std::string& unc) override {
    auto it = unc_by_drive.find(std::string(1, static_cast<char>(std::toupper(path[0]))));
    if (it == unc_by_drive.end()) return false;
    unc = it->second + path.substr(2);
    return true;
  }
  bool Connect(const std::string& remote) override {
    connection_attempts.push_back(remote);
    return connection_succeeds;
  }

  bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) override {
    if (!has_version || Key(path) != Key(module_file)) return false;
    high = version_high;
    low = version_low;
    return true;
  }

  std::string UpperCase(const std::string& text) override { return Fold(text); }
  // Code page 1252: Latin-1, and other letters and signs in 0x80-0x9F.
  static constexpr char16_t kCp1252High[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string FromAnsi(const std::string& bytes) override {
    std::u16string units;
    for (unsigned char b : bytes) {
      const char16_t high = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : 0;
      units += high ? high : static_cast<char16_t>(b);
    }
    return Utf8FromUtf16(units);
  }
  bool ToAnsi(const std::string& text, std::string& bytes) override {
    bytes.clear();
    for (char16_t c : Utf16FromUtf8(text)) {
      const char16_t* high = std::find(std::begin(kCp1252High), std::end(kCp1252High), c);
      if (c != 0 && high != std::end(kCp1252High)) {
        bytes += static_cast<char>(0x80 + (high - kCp1252High));
      } else if (c < 0x100 && (c < 0x80 || c >= 0xA0)) {
        bytes += static_cast<char>(c);
      } else {
        return false;
      }
    }
    return true;
  }
  int TextWidth(const std::string& text) override {
    return 7 * static_cast<int>(Utf16FromUtf8(text).size());
  }

  // ---- journal ----
  LocalTime now{2026, 12, 9, 8, 41, 3};
  LocalTime Now() override { return now; }
  bool DoAppendFile(const std::string& handed, const std::string& bytes) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if ((n && (n->dir || n->locked || n->held)) || !Find(Parent(path))) return Fail(kAccessDenied);
    if (!n) n = &AddFile(path, "", kAttrArchive);
    n->content += bytes;
    n->size = n->content.size();
    return true;
  }
  std::string last_error;  // the words for the failure of the last call that failed
  ErrorKind last_kind = ErrorKind::Passing;
  std::string LastErrorText() override { return last_error; }
  ErrorKind LastErrorKind() override { return last_kind; }
  static constexpr char kSharingViolation[] = "Datei wird von einem anderen Prozess verwendet";
  static constexpr char kAccessDenied[] = "Zugriff verweigert";
  static constexpr char kDiskFull[] = "Datentr\u00e4ger voll";
  bool Fail(const char* why, ErrorKind kind = ErrorKind::Passing) {
    last_error = why;
    last_kind = why == kAccessDenied || why == kDiskFull ? ErrorKind::Lasting : kind;
    return false;
  }

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
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    return n && n->dir;
  }
  bool DoMakeFolder(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path, kPlainFolderLimit)) return false;
    if (Exists(path) || !Find(Parent(path)) || unwritable_dirs.count(Key(Parent(path)))) {
      return Fail(kAccessDenied);
    }
    created_dirs.push_back(path);
    AddDir(path);
    return true;
  }
  std::vector<std::string> created_dirs;

  // Called after each step of a transfer's calls, named: "gehalten",
  // "kopiert", "am Ziel", "erledigt", "losgelassen". A test runs there what
  // another process does meanwhile.
  std::function<void(const std::string&)> between_steps;
  // Hooks run from a copy: one may clear itself.
  void Step(const char* name) {
    if (auto hook = between_steps) hook(name);
  }

  // A source held by the transfer: its end through the one handle, shared
  // with other holders; a delete takes effect when the last one lets go.
  class Held : public HeldSource {
   public:
    Held(FakeSystem& system, std::string path, SourceEnd end)
        : system_(system), path_(std::move(path)), end_(end) {
      Node* n = system_.Find(path_);
      ++n->holders;
      id_ = n->id;
    }
    ~Held() override {
      Node* n = Mine();
      if (!n) return;
      if (--n->holders == 0 && n->delete_pending) system_.Remove(path_);
      system_.Step("losgelassen");
    }
    const std::string& Path() const { return path_; }
    // The held file wherever it went since: a hold follows the file.
    Node* Mine() {
      Node* n = system_.Find(path_);
      if (n && n->id == id_) return n;
      for (auto& [key, node] : system_.fs) {
        if (node.id != id_ || node.dir) continue;
        path_ = key;
        return &node;
      }
      return nullptr;
    }
    uint64_t Size() override {
      Node* n = Mine();
      return n ? n->size : 0;
    }
    bool StillAt(const std::string& handed) override {
      std::string path;
      if (!system_.Take(handed, path)) return false;
      Node* n = system_.Find(path);
      return !system_.identities || (n && n->id == id_);
    }
    std::string Location() override { return Mine() ? system_.Resolve(path_) : std::string(); }
    bool Settle(uint32_t attributes) override {
      Node* n = Mine();
      if (!n || n->settle_fails) return system_.Fail(kAccessDenied);
      if (end_ == SourceEnd::Delete && (n->attrs & kAttrReadOnly)) {
        return system_.Fail(kAccessDenied);
      }
      settled_ = true;
      if (end_ == SourceEnd::Unmark) {
        n->attrs = attributes;
      } else if (!n->delete_pending) {
        n->delete_pending = true;
        system_.deleted.push_back(path_);
      }
      system_.Step("erledigt");
      return true;
    }
    // In delete mode only a delete counts: a cleared mark is no delivery.
    bool TakenElsewhere() override {
      Node* n = Mine();
      return !settled_ && (!n || n->delete_pending ||
                           (end_ == SourceEnd::Unmark && (n->attrs & kAttrArchive) == 0));
    }

   private:
    FakeSystem& system_;
    std::string path_;
    SourceEnd end_;
    uint64_t id_ = 0;
    bool settled_ = false;
  };
  // Runs before a source is held: a writer may come.
  std::function<void(const std::string&)> before_hold;
  std::unique_ptr<HeldSource> DoHoldSource(const std::string& handed, SourceEnd end,
                                           HoldFailure& failure) override {
    std::string path;
    failure = HoldFailure::Other;
    if (!Take(handed, path)) return nullptr;
    if (auto hook = before_hold) hook(path);
    Node* n = Find(path);
    // A file deleted by another holder opens no more, as if it were gone.
    if (!n || n->dir || n->delete_pending) {
      if (!n || n->delete_pending) failure = HoldFailure::Gone;
      Fail("Datei nicht gefunden");
      return nullptr;
    }
    // Opened as the entry itself, a link to a file shows what it is (Wine
    // opens what it leads to: `follows_file_links`).
    if (links.count(Key(path)) != 0 && !follows_file_links) {
      failure = HoldFailure::Link;
      return nullptr;
    }
    // Windows refuses to share a file that a writer holds, or that another
    // program holds without sharing; a reader that keeps its delete from
    // others refuses a hold for a delete.
    if (n->held || n->locked || (n->reader && end == SourceEnd::Delete)) {
      failure = n->held || n->locked ? HoldFailure::Written : HoldFailure::Read;
      Fail(kSharingViolation);
      return nullptr;
    }
    failure = HoldFailure::None;
    auto held = std::make_unique<Held>(*this, path, end);
    Step("gehalten");
    return held;
  }

  // A copy held at its temporary name: locked (nobody else can open,
  // replace or remove it) until it is in place; removed if it never is.
  class Copy : public HeldCopy {
   public:
    Copy(FakeSystem& system, std::string at, std::string final_path)
        : system_(system), at_(std::move(at)), final_(std::move(final_path)) {}
    // Removed through its handle, unless the server went away: then it
    // stays, let go.
    ~Copy() override {
      if (placed_) return;
      if (!system_.Gone(at_)) {
        system_.Remove(at_);
      } else if (Node* n = system_.Find(at_)) {
        n->locked = false;
      }
    }
    uint64_t Size() override {
      Node* n = system_.Find(at_);
      return n ? n->size : 0;
    }
    bool PutInPlace() override {
      Node* dst = system_.Find(final_);
      // Windows replaces no file that somebody holds open, nor a read-only one.
      if (system_.Gone(final_)) return system_.Fail(kGone);
      if (!system_.StoresName(final_)) return false;
      if (system_.move_fails || !system_.Find(Parent(final_)) ||
          (dst && (dst->dir || dst->locked || dst->held || dst->reader || dst->holders > 0 ||
                   (dst->attrs & kAttrReadOnly)))) {
        return system_.Fail(kAccessDenied);
      }
      const Node moved = *system_.Find(at_);
      system_.Remove(at_);
      Node& n = system_.AddFile(final_, moved.content, moved.attrs);
      n.size = moved.size;
      n.wtime = moved.wtime;
      n.id = moved.id;  // a rename keeps the file's identity
      system_.moves.push_back({at_, final_});
      placed_ = true;
      system_.Step("am Ziel");
      return true;
    }

   private:
    FakeSystem& system_;
    std::string at_, final_;
    bool placed_ = false;
  };
  std::unique_ptr<HeldCopy> DoCopyThrough(HeldSource& held, const std::string& handed_temporary,
                                          const std::string& handed_final, const CopyMade& made,
                                          const CopyProgress& progress, bool& name_taken) override {
    std::string to, final_path;
    if (!Take(handed_temporary, to) || !Take(handed_final, final_path)) return nullptr;
    const std::string from = static_cast<Held&>(held).Path();
    Node* src = Find(from);
    if (!src || src->dir) return Refuse("Datei nicht gefunden");
    // A new file only: whatever answers to the name stays as it is.
    if (Find(to)) {
      name_taken = true;
      return Refuse(kExists);
    }
    if (!Find(Parent(to)) || unwritable_dirs.count(Key(Parent(to)))) return Refuse(kAccessDenied);
    if (!StoresName(to)) return nullptr;
    copies.push_back({from, to});
    const Node copy = *src;
    // The new file is there, held, before its first byte.
    Node& made_node = AddFile(to, "", copy.attrs);
    made_node.locked = true;
    auto held_copy = std::make_unique<Copy>(*this, to, final_path);
    if (identities) made({7, made_node.id});
    // The copy tells how far it is; a cancel leaves nothing at the target.
    if (during_copy) {
      if (!during_copy(progress, copy.size)) return Refuse(kAborted);
    } else if (!progress(copy.size, copy.size)) {
      return Refuse(kAborted);
    }
    Node& n = AddFile(to, copy.content, copy.attrs);
    n.size = copy.size;
    n.wtime = copy.wtime;
    n.locked = true;
    if (after_copy) after_copy(from, to);
    if (flush_fails) return Refuse(kDiskFull);
    flushed.push_back(to);
    Step("kopiert");
    return held_copy;
  }
  std::nullptr_t Refuse(const char* why) {
    Fail(why);
    return nullptr;
  }
  bool DoNameHeld(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    return n && (n->locked || n->held || n->reader || n->holders > 0);
  }
  Removal DoRemoveIfSame(const std::string& handed, const FileId& id) override {
    std::string path;
    if (!Take(handed, path)) return Removal::Failed;
    Node* n = Find(path);
    if (!n || n->dir || !identities || n->id != id.Index) return Removal::NotOurs;
    if (n->locked || n->held || n->reader || n->holders > 0) return Removal::Held;
    Remove(path);
    removed.push_back(path);
    return Removal::Removed;
  }
  std::vector<std::string> removed;  // copies removed by their identity
  bool follows_file_links = false;
  std::string DoLocation(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path)) return std::string();
    Node* n = Find(path);
    return n && n->dir ? Resolve(path) + "\\" : std::string();
  }

  // ---- this log-on's own files ----
  std::string local_data = "C:\\Users\\Messplatz\\AppData\\Local\\";
  std::string LocalDataFolder() override { return local_data; }
  class Appending : public AppendOnlyFile {
   public:
    Appending(FakeSystem& system, std::string path) : system_(system), path_(std::move(path)) {}
    bool Append(const std::string& bytes) override {
      Node* n = system_.Find(path_);
      if (!n) return false;
      n->content += bytes;
      n->size = n->content.size();
      return true;
    }

   private:
    FakeSystem& system_;
    std::string path_;
  };
  std::unique_ptr<AppendOnlyFile> DoOpenForAppend(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path) || !Find(Parent(path))) return nullptr;
    if (!Find(path)) AddFile(path, "", kAttrArchive);
    return std::make_unique<Appending>(*this, path);
  }
  std::vector<std::string> flushed;
  bool flush_fails = false;
  bool move_fails = false;
  std::vector<std::pair<std::string, std::string>> copies;
  std::vector<std::pair<std::string, std::string>> moves;
  std::function<void(const std::string&, const std::string&)> after_copy;
  // Runs the copy's progress (the copy's size given); false: cancelled.
  std::function<bool(const CopyProgress&, uint64_t)> during_copy;
  static constexpr char kAborted[] = "Die Anforderung wurde abgebrochen";
  static constexpr char kExists[] = "Die Datei ist bereits vorhanden";
  // The clock of durations; a test moves it on.
  std::atomic<uint64_t> milliseconds{1000};
  uint64_t Milliseconds() override { return milliseconds; }
  std::vector<std::string> deleted;

  // The size a file has by its name; `listed` stands for a size measured
  // before another process changed the file.
  bool DoFileSize(const std::string& handed, uint64_t& size) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if (!n || n->dir) return false;
    size = n->listed != 0 ? n->listed : n->size;
    return true;
  }
  bool DoRenameWhenLarger(const std::string& handed, uint64_t limit,
                          const std::string& handed_to) override {
    std::string path, to;
    if (!Take(handed, path) || !Take(handed_to, to)) return false;
    Node* n = Find(path);
    if (!n || n->dir || n->size <= limit) return false;
    Node* dst = Find(to);
    if (n->locked || n->held ||
        (dst && (dst->dir || dst->locked || (dst->attrs & kAttrReadOnly)))) {
      return Fail(kAccessDenied);
    }
    const Node moved = *n;
    Remove(path);
    AddFile(to, moved.content, moved.attrs);
    return true;
  }
  std::string DoFinalPath(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path)) return std::string();
    Node* n = Find(path);
    if (!identities || !n || !n->dir) return std::string();
    return Resolve(path) + "\\";
  }
  bool DoIdentity(const std::string& handed, FileId& id) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if (!identities || !n) return false;
    id = {7, n->id};
    return true;
  }
};

}  // namespace ferrolink::test
