#include "Version.h"

namespace ferrolink {

bool ReadFileVersion(Names& names, const std::string& path, TFileVersion& record) {
  uint32_t high = 0, low = 0;
  if (!names.FileVersionWords(path, high, low)) return false;
  record.FileVersion[0] = high >> 16;
  record.FileVersion[1] = high & 0xFFFF;
  record.FileVersion[2] = low >> 16;
  record.FileVersion[3] = low & 0xFFFF;
  record.Valid = true;
  return true;
}

std::string VersionText(const TFileVersion& record) {
  return std::to_string(record.FileVersion[0]) + "." + std::to_string(record.FileVersion[1]) + "." +
         std::to_string(record.FileVersion[2]) + "." + std::to_string(record.FileVersion[3]);
}

}  // namespace ferrolink
