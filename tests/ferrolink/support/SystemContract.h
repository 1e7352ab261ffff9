// What Ferrolink's logic relies on from its System, written once as a table
// of cases and run twice: natively against the fake, and under Wine against
// the real system on scratch files, links and the registry. A fake that
// passes it behaves, for these calls, like the system it stands for.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "System.h"

namespace ferrolink::test {

// How another program holds a file open.
enum class Holder {
  Exclusive,  // sharing nothing, as the instrument software may
  Writer,     // writing it, sharing reading
  Reader,     // reading it, sharing reading only (a viewer)
};

// The state a case lays out before it calls the system, and what it reads
// afterwards: in the fake's memory, or on real files and registry. Paths
// are relative to a scratch folder.
class Ground {
 public:
  virtual ~Ground() = default;
  virtual System Sys() = 0;
  // True for the real system under Wine: where a row says that Wine and
  // Windows differ, the fake keeps to Windows.
  virtual bool Wine() = 0;
  // The scratch folder, a full path ending in a backslash.
  virtual std::string Root() = 0;
  virtual void Folder(const std::string& path) = 0;
  virtual void File(const std::string& path, const std::string& content) = 0;
  // A second spelling of a folder (a symbolic link under Wine).
  virtual void Link(const std::string& link, const std::string& folder) = 0;
  // A symbolic link to a file.
  virtual void FileLink(const std::string& link, const std::string& file) = 0;
  // Another program renames a file.
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // Names below the scratch folder count their length in bytes, as a
  // Linux file system or a NAS does (Wine's files do so already).
  virtual void NamesInBytes() = 0;
  // The server stores a copy's bytes damaged, while the client's cache
  // keeps what was written (the fake's alone).
  virtual void DamagesCopies() = 0;
  virtual void ReadOnly(const std::string& path) = 0;
  virtual void Hold(const std::string& path, Holder holder) = 0;
  virtual void ReleaseAll() = 0;
  // The instrument software's registry value: no key (`exists` false), a key
  // without it (empty `value`, REG_SZ), a string, or a number (REG_DWORD).
  virtual void SettingsKey(bool exists, const std::string& value, bool number) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual std::string Content(const std::string& path) = 0;
  virtual uint32_t Attributes(const std::string& path) = 0;
};

struct ContractCase {
  const char* name;
  // Where Wine and Windows are known to differ for this case; empty where
  // they do not.
  const char* wine_differs;
  std::function<void(Ground&)> run;
};

const std::vector<ContractCase>& SystemContract();

}  // namespace ferrolink::test
