// The version record of an executable file and its text.
#pragma once

#include <cstdint>
#include <string>

#include "System.h"

namespace ferrolink {

struct TFileVersion {
  uint32_t FileVersion[4] = {0, 0, 0, 0};  // major, minor, release, build
  uint32_t ProductVersion[4] = {0, 0, 0, 0};
  bool Valid = false;
  bool Debug = false;         // flag 0x01
  bool PreRelease = false;    // flag 0x02
  bool PrivateBuild = false;  // flag 0x08
  bool SpecialBuild = false;  // flag 0x20
  // The file's last modification: days since 30 December 1899, the fraction
  // giving the time of day (two-second resolution).
  double FileDate = 0;
};

// Fills `record` from the file's version resource; false, with the record
// untouched, when the file has none or it cannot be read.
bool ReadFileVersion(System& system, const std::string& path, TFileVersion& record);

// "major.minor.release.build" of the file version.
std::string VersionText(const TFileVersion& record);

// A DOS date (high word) and time (low word) as days since 30 December 1899.
double DosDateTimeToDays(uint32_t stamp);

}  // namespace ferrolink
