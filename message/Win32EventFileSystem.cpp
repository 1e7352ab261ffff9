#include "Win32EventFileSystem.h"

#include <windows.h>

#include <cstdio>

#include "engine.h"

std::string Win32EventFileSystem::ModuleDir() {
  char dir[ENGINE_MAX_PATHNAME_LEN];
  if (GetModuleDir(nullptr, dir, sizeof dir) < 0) return std::string();
  return dir;
}

std::optional<std::uint64_t> Win32EventFileSystem::FileSize(const std::string& path) {
  std::int64_t size = 0;
  if (CVI_GetFileSize(path.c_str(), &size) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

std::optional<std::string> Win32EventFileSystem::ReadFrom(const std::string& path,
                                                          std::uint64_t offset) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  if (_fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0) {
    char buffer[16384];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return bytes;
}

namespace {

bool WriteFile(const std::string& path, const char* mode, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && written;
}

}  // namespace

bool Win32EventFileSystem::WriteWhole(const std::string& path, const std::string& bytes) {
  return WriteFile(path, "wb", bytes);
}

bool Win32EventFileSystem::Append(const std::string& path, const std::string& bytes) {
  return WriteFile(path, "ab", bytes);
}

bool Win32EventFileSystem::Replace(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void Win32EventFileSystem::Remove(const std::string& path) {
  DeleteFileA(path.c_str());
}
