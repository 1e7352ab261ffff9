// The delivery's seam over the fake disk: folders made, sources held, copies
// written through, put in place and removed by their identity, the record of
// copies, and a clock; hooks run what another process does between steps.
#pragma once

#include <atomic>

#include "FakeDisk.h"

namespace ferrolink::test {

class FakeTransferFiles : public WholeFiles<TransferFiles> {
 public:
  FakeTransferFiles() { AddDir(local_data + "Ferrolink"); }
  std::string LastErrorText() override { return last_error; }
  ErrorKind LastErrorKind() override { return last_kind; }
  bool DoMakeFolder(const std::string& handed) override {
    std::string path;
    if (!Take(handed, path, kPlainFolderLimit)) return false;
    if (Exists(path) || !Writable(Parent(path))) return Fail(kAccessDenied);
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
    Held(FakeTransferFiles& system, std::string path, SourceEnd end)
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
    bool ReadAt(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) override {
      Node* n = Mine();
      if (!n) return system_.Fail(kNotFound);
      got = BytesOf(*n, offset, buffer, size);
      return true;
    }
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
    FakeTransferFiles& system_;
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
    Copy(FakeTransferFiles& system, std::string at, std::string final_path)
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
    // Unbuffered: what the server stored, past the client's cache, in whole
    // sectors only, as Windows demands (Wine takes any).
    bool ReadBack(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) override {
      if (reinterpret_cast<uintptr_t>(buffer) % kSectorSize != 0 || size % kSectorSize != 0 ||
          offset % kSectorSize != 0) {
        return system_.Fail(kBadParameter);
      }
      if (auto hook = system_.read_back) hook(offset);
      if (system_.Gone(at_)) return system_.Fail(kGone);
      Node* n = system_.Find(at_);
      if (!n) return system_.Fail(kNotFound);
      got = BytesOf(*n, offset, buffer, size);
      return true;
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
      n.cached = moved.cached;
      system_.moves.push_back({at_, final_});
      placed_ = true;
      system_.Step("am Ziel");
      return true;
    }

   private:
    FakeTransferFiles& system_;
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
    if (!Writable(Parent(to))) return Refuse(kAccessDenied);
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
    if (stored) {
      stored(to, n.content);
      if (n.content != copy.content) n.cached = copy.content;
    }
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
    Node* n = Taken(handed, path);
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

  // ---- this log-on's own files ----
  std::string local_data = "C:\\Users\\Messplatz\\AppData\\Local\\";
  std::string LocalDataFolder() override { return local_data; }
  class Appending : public AppendOnlyFile {
   public:
    Appending(FakeTransferFiles& system, std::string path)
        : system_(system), path_(std::move(path)) {}
    bool Append(const std::string& bytes) override {
      Node* n = system_.Find(path_);
      if (!n) return false;
      n->content += bytes;
      n->size = n->content.size();
      return true;
    }

   private:
    FakeTransferFiles& system_;
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
  // Runs before each read-back of a copy, given its offset.
  std::function<void(uint64_t)> read_back;
  // Alters the bytes the server stores of a copy (given its path), as a
  // line or a server that damages data does; the client's cache keeps what
  // was written.
  std::function<void(const std::string&, std::string&)> stored;
  // Runs the copy's progress (the copy's size given); false: cancelled.
  std::function<bool(const CopyProgress&, uint64_t)> during_copy;
  static constexpr char kAborted[] = "Die Anforderung wurde abgebrochen";
  static constexpr char kExists[] = "Die Datei ist bereits vorhanden";
  static constexpr char kBadParameter[] = "Falscher Parameter";
  // The clock of durations; a test moves it on.
  std::atomic<uint64_t> milliseconds{1000};
  uint64_t Milliseconds() override { return milliseconds; }
  std::vector<std::string> deleted;
};

}  // namespace ferrolink::test
