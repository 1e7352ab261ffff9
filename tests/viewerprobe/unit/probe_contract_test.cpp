// The probe contract against the fake.
#include <memory>

#include <gtest/gtest.h>

#include "FakeSystem.h"
#include "ProbeContract.h"

namespace viewerprobe {
namespace {

class FakeGround : public ProbeGround {
 public:
  ProbeSystem& Sys() override { return fake_; }
  std::string Path(const std::string& name) override { return "C:\\Probe\\" + name; }
  void File(const std::string& name, std::int64_t size) override { fake_.files[Path(name)] = size; }
  void Folder(const std::string& name) override { fake_.directories.push_back(Path(name)); }
  // The fake has no other programs: a held file is measured like any other.
  void HoldExclusively(const std::string&) override {}
  void Windows7() override { fake_.version = kWindows7; }

 private:
  FakeSystem fake_;
};

TEST(ProbeContract, TheFakeKeepsIt) {
  RunProbeContract([] { return std::make_unique<FakeGround>(); });
}

}  // namespace
}  // namespace viewerprobe
