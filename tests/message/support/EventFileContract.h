// What the event-file logic relies on from its EventFileSystem, written once
// as a table of cases and run twice: natively against the fake, and under
// Wine against Win32EventFileSystem on real files in a scratch folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "eventfile.h"

namespace message_test {

// The files before a call and after it: in the fake's memory, or real. Names
// are relative to a scratch folder.
class EventFileGround {
 public:
  virtual ~EventFileGround() = default;
  virtual message::EventFileSystem& Sys() = 0;
  // The full path of a name in the scratch folder.
  virtual std::string Path(const std::string& name) = 0;
  virtual void Folder(const std::string& name) = 0;
  virtual void File(const std::string& name, const std::string& bytes) = 0;
  // The plug-in holds the file open for appending, sharing reading and
  // writing, and deleting only when told; it appends through that handle
  // and lets it go.
  virtual void HoldForAppending(const std::string& name, bool shares_delete) = 0;
  virtual void HolderAppends(const std::string& bytes) = 0;
  virtual void Release() = 0;
  // Windows' attribute bits of a file; only read-only (1) and hidden (2)
  // are compared.
  virtual void SetAttributes(const std::string& name, std::uint32_t bits) = 0;
  virtual std::uint32_t Attributes(const std::string& name) = 0;
};

struct EventFileCase {
  const char* name;
  std::function<void(EventFileGround&)> run;
};

const std::vector<EventFileCase>& EventFileContract();

}  // namespace message_test
