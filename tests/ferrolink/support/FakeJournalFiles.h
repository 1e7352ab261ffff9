// The journal's seam over the fake disk: a clock that stands still, so that
// every line has one stamp, and the journal's file appended to and renamed.
#pragma once

#include <gtest/gtest.h>

#include "FakeDisk.h"

namespace ferrolink::test {

class FakeJournalFiles : public JournalFiles, public virtual FakeDisk {
 public:
  std::string LastErrorText() override { return last_error; }

  LocalTime now{2026, 12, 9, 8, 41, 3};
  LocalTime Now() override { return now; }
  // Where a file is really written: where `lands_at` says (a folder that
  // Windows redirects), else where it was told.
  std::map<std::string, std::string> lands_at;
  bool DoAppendFile(const std::string& handed, const std::string& bytes,
                    std::string* landed) override {
    std::string path;
    if (!Take(handed, path)) return false;
    Node* n = Find(path);
    if ((n && (n->dir || n->locked || n->held)) || !Find(Parent(path))) return Fail(kAccessDenied);
    if (!n) n = &AddFile(path, "", kAttrArchive);
    // Another log-on's Ferrolink may append to the same journal between two
    // appends: each holds whole lines only.
    if (!bytes.empty() && (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)) {
      ADD_FAILURE() << "an append that ends within a line: " << bytes;
    }
    n->content += bytes;
    n->size = n->content.size();
    if (landed) *landed = lands_at.count(Key(path)) ? lands_at[Key(path)] : path;
    return true;
  }
  // The size a file has by its name; `listed` stands for a size measured
  // before another process changed the file.
  bool DoFileSize(const std::string& handed, uint64_t& size) override {
    std::string path;
    Node* n = Taken(handed, path);
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
};

}  // namespace ferrolink::test
