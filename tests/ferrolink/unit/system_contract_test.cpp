// The system contract against the fake.
#include <gtest/gtest.h>

#include "FakeSystem.h"
#include "SystemContract.h"

namespace ferrolink::test {

namespace {

class FakeGround : public Ground {
 public:
  FakeGround() { fake_.AddDir(Root()); }
  System Sys() override { return fake_; }
  bool Wine() override { return false; }
  std::string Root() override { return "C:\\Probe\\"; }
  void Folder(const std::string& path) override { fake_.AddDir(Root() + path); }
  void File(const std::string& path, const std::string& content) override {
    fake_.AddFile(Root() + path, content);
  }
  void Link(const std::string& link, const std::string& folder) override {
    fake_.AddLink(Root() + link, Root() + folder);
  }
  void FileLink(const std::string& link, const std::string& file) override {
    fake_.AddLink(Root() + link, Root() + file);
  }
  void Rename(const std::string& from, const std::string& to) override {
    fake_.Rename(Root() + from, Root() + to);
  }
  void NamesInBytes() override { fake_.bytes_counted_below = Root(); }
  void DamagesCopies() override {
    fake_.stored = [](const std::string&, std::string& bytes) { bytes[0] ^= 1; };
  }
  void ReadOnly(const std::string& path) override { fake_.Find(Root() + path)->attrs |= 0x01; }
  void Hold(const std::string& path, Holder holder) override {
    FakeSystem::Node& n = *fake_.Find(Root() + path);
    (holder == Holder::Exclusive ? n.locked : holder == Holder::Writer ? n.held : n.reader) = true;
    held_.push_back(&n);
  }
  void ReleaseAll() override {
    for (FakeSystem::Node* n : held_) n->locked = n->held = n->reader = false;
    held_.clear();
  }
  void SettingsKey(bool exists, const std::string& value, bool number) override {
    fake_.key_exists = exists;
    fake_.settings_value = value;
    fake_.value_kind = number          ? SettingsValue::OtherType
                       : value.empty() ? SettingsValue::Missing
                                       : SettingsValue::String;
  }
  bool Exists(const std::string& path) override { return fake_.Exists(Root() + path); }
  std::string Content(const std::string& path) override { return fake_.Content(Root() + path); }
  uint32_t Attributes(const std::string& path) override {
    FakeSystem::Node* n = fake_.Find(Root() + path);
    return n ? n->attrs : 0xFFFFFFFF;
  }

 private:
  FakeSystem fake_;
  std::vector<FakeSystem::Node*> held_;
};

}  // namespace

TEST(SystemContract, TheFakeKeepsIt) {
  for (const ContractCase& c : SystemContract()) {
    SCOPED_TRACE(c.name);
    FakeGround ground;
    c.run(ground);
  }
}

}  // namespace ferrolink::test
