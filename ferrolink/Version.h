// The version record of an executable file and its text.
#pragma once

#include <cstdint>
#include <string>

#include "Names.h"

namespace ferrolink {

// What Ferrolink shows of a program's version resource: its file version.
struct TFileVersion {
  uint32_t FileVersion[4] = {0, 0, 0, 0};  // major, minor, release, build
  bool Valid = false;
};

// Fills `record` from the file's version resource; false, with the record
// untouched, when the file has none or it cannot be read.
bool ReadFileVersion(Names& names, const std::string& path, TFileVersion& record);

// "major.minor.release.build" of the file version.
std::string VersionText(const TFileVersion& record);

}  // namespace ferrolink
