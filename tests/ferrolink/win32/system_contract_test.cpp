// The system contract against the real system: scratch files, Linux
// symbolic links and the registry of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "Driver.h"
#include "SystemContract.h"
#include "Win32System.h"

namespace ferrolink::test {

namespace {

class RealGround : public Ground {
 public:
  RealGround(const std::string& base, int n) : dir_(base, "Fall " + std::to_string(n)) {
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kSettingsKey);
  }
  ~RealGround() override {
    ReleaseAll();
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kSettingsKey);
  }
  System Sys() override { return sys_; }
  bool Wine() override { return true; }
  std::string Root() override { return dir_.Path(); }
  void Folder(const std::string& path) override { ASSERT_TRUE(e2e::MakeDirs(dir_ / path)); }
  void File(const std::string& path, const std::string& content) override {
    ASSERT_TRUE(e2e::WriteFileBytes(dir_ / path, content));
  }
  void Link(const std::string& link, const std::string& folder) override {
    ASSERT_TRUE(e2e::LinuxSymlink(dir_ / folder, dir_ / link));
  }
  void FileLink(const std::string& link, const std::string& file) override {
    ASSERT_TRUE(e2e::LinuxSymlink(dir_ / file, dir_ / link));
  }
  void Rename(const std::string& from, const std::string& to) override {
    ASSERT_TRUE(MoveFileW(e2e::Wide(dir_ / from).c_str(), e2e::Wide(dir_ / to).c_str()));
  }
  void NamesInBytes() override {}
  void DamagesCopies() override {}
  void ReadOnly(const std::string& path) override {
    ASSERT_TRUE(SetFileAttributesW(e2e::Wide(dir_ / path).c_str(), FILE_ATTRIBUTE_READONLY));
  }
  void Hold(const std::string& path, Holder holder) override {
    const bool exclusive = holder == Holder::Exclusive;
    HANDLE h = CreateFileW(e2e::Wide(dir_ / path).c_str(),
                           holder == Holder::Writer ? GENERIC_WRITE : GENERIC_READ,
                           exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    held_.push_back(h);
  }
  void ReleaseAll() override {
    for (HANDLE h : held_) CloseHandle(h);
    held_.clear();
  }
  void SettingsKey(bool exists, const std::string& value, bool number) override {
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kSettingsKey);
    if (!exists) return;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring text = e2e::Wide(value);
    const DWORD dword = 7;
    if (number) {
      RegSetValueExW(key, L"Settings", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                     sizeof dword);
    } else if (!value.empty()) {
      RegSetValueExW(key, L"Settings", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
  }
  bool Exists(const std::string& path) override { return e2e::FileExists(dir_ / path); }
  std::string Content(const std::string& path) override {
    return e2e::ReadFileBytes(dir_ / path).value_or("<missing>");
  }
  uint32_t Attributes(const std::string& path) override {
    return GetFileAttributesW(e2e::Wide(dir_ / path).c_str());
  }

 private:
  e2e::WorkDir dir_;
  Win32System sys_;
  std::vector<HANDLE> held_;
};

}  // namespace

TEST(SystemContract, TheRealSystemKeepsIt) {
  const e2e::WorkDir base = e2e::TestWorkDir();
  int n = 0;
  for (const ContractCase& c : SystemContract()) {
    SCOPED_TRACE(std::string(c.name) + (*c.wine_differs ? " (" : "") + c.wine_differs +
                 (*c.wine_differs ? ")" : ""));
    RealGround ground(base.Path(), ++n);
    c.run(ground);
  }
}

}  // namespace ferrolink::test
