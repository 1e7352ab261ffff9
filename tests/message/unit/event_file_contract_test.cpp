// The event-file contract against the fake.
#include <gtest/gtest.h>

#include "EventFileContract.h"
#include "FakeEventFileSystem.h"

namespace message_test {
namespace {

class FakeGround : public EventFileGround {
 public:
  message::EventFileSystem& Sys() override { return fake_; }
  std::string Path(const std::string& name) override { return "C:\\Probe\\" + name; }
  // The fake keeps files only: a folder's name is no file.
  void Folder(const std::string&) override {}
  void File(const std::string& name, const std::string& bytes) override {
    fake_.files[Path(name)] = bytes;
  }
  // The fake has no other programs: a held file is used like any other.
  void HoldForAppending(const std::string&) override {}

 private:
  FakeEventFileSystem fake_;
};

TEST(EventFileContract, TheFakeKeepsIt) {
  for (const EventFileCase& c : EventFileContract()) {
    SCOPED_TRACE(c.name);
    FakeGround ground;
    c.run(ground);
  }
}

}  // namespace
}  // namespace message_test
