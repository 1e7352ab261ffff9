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
  void HoldForAppending(const std::string& name, bool shares_delete) override {
    holder_ = fake_.Hold(Path(name), shares_delete);
  }
  void HolderAppends(const std::string& bytes) override { fake_.HolderAppends(holder_, bytes); }
  void Release() override { fake_.Release(holder_); }
  void SetAttributes(const std::string& name, std::uint32_t bits) override {
    fake_.attributes[Path(name)] = bits;
  }
  std::uint32_t Attributes(const std::string& name) override {
    return fake_.attributes[Path(name)] & 3;
  }

 private:
  FakeEventFileSystem fake_;
  int holder_ = -1;
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
