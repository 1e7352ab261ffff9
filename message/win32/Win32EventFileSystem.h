// The event file's access to the system through Win32's wide API: paths
// come in UTF-8, so a folder named outside the ANSI code page is found.
#pragma once

#include <functional>
#include <utility>

#include "eventfile.h"

class Win32EventFileSystem : public message::EventFileSystem {
 public:
  // While a pause waits, every message that arrives is handed to
  // `handle_events` (the window engine's), so that the windows are drawn and
  // answer; without one, a pause sleeps.
  explicit Win32EventFileSystem(std::function<void()> handle_events = nullptr)
      : handle_events_(std::move(handle_events)) {}

  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  std::optional<std::string> ReadFrom(const std::string& path, std::uint64_t offset,
                                      std::uint64_t limit) override;
  bool WriteWhole(const std::string& path, const std::string& bytes) override;
  bool Append(const std::string& path, const std::string& bytes) override;
  bool Truncate(const std::string& path, std::uint64_t size) override;
  bool Flush(const std::string& path) override;
  std::optional<std::uint64_t> FileIndex(const std::string& path) override;
  bool Settled(const std::string& path) override;
  void TakeAttributes(const std::string& from, const std::string& to) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  void Pause(std::uint32_t milliseconds) override;

 private:
  std::function<void()> handle_events_;
};
