// The machine contract against the fake.
#include <memory>

#include <gtest/gtest.h>

#include "FakeMachine.h"
#include "MachineContract.h"

namespace treecarry::test {
namespace {

class FakeGround : public RegistryGround {
 public:
  Machine& Sys() override { return fake_; }
  bool Wine() override { return false; }
  void ListProfile(const std::string& name) override { fake_.AddProfile(name); }
  void DirectoriesKey(const std::string& profile) override { fake_.AddDirectoriesKey(profile); }
  // The fake keeps no type: the value is read as its bytes whatever its type.
  void Application(const std::string& profile, std::uint32_t, const std::string& bytes) override {
    fake_.SetRaw(profile, bytes);
  }

 private:
  FakeMachine fake_;
};

TEST(MachineContract, TheFakeKeepsIt) {
  RunMachineContract([] { return std::make_unique<FakeGround>(); });
}

}  // namespace
}  // namespace treecarry::test
