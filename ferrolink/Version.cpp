#include "Version.h"

namespace ferrolink {

namespace {

// Days from 30 December 1899 to the given date (proleptic Gregorian).
long DaysSince1899(int year, int month, int day) {
  // Days from civil, counted from 1 March of year 0.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days_from_epoch_1970 = era * 146097L + doe - 719468L;
  return days_from_epoch_1970 + 25569L;  // 1970-01-01 is day 25569
}

}  // namespace

double DosDateTimeToDays(uint32_t stamp) {
  const uint32_t date = stamp >> 16, time = stamp & 0xFFFF;
  const int year = 1980 + static_cast<int>(date >> 9);
  const int month = static_cast<int>((date >> 5) & 0x0F);
  const int day = static_cast<int>(date & 0x1F);
  const int hour = static_cast<int>(time >> 11);
  const int minute = static_cast<int>((time >> 5) & 0x3F);
  const int second = static_cast<int>(time & 0x1F) * 2;
  return static_cast<double>(DaysSince1899(year, month, day)) +
         (hour * 3600 + minute * 60 + second) / 86400.0;
}

bool ReadFileVersion(System& system, const std::string& path, TFileVersion& record) {
  FixedVersionInfo info;
  if (!system.ReadVersionInfo(path, info)) return false;
  record.FileVersion[0] = info.FileVersionMS >> 16;
  record.FileVersion[1] = info.FileVersionMS & 0xFFFF;
  record.FileVersion[2] = info.FileVersionLS >> 16;
  record.FileVersion[3] = info.FileVersionLS & 0xFFFF;
  record.ProductVersion[0] = info.ProductVersionMS >> 16;
  record.ProductVersion[1] = info.ProductVersionMS & 0xFFFF;
  record.ProductVersion[2] = info.ProductVersionLS >> 16;
  record.ProductVersion[3] = info.ProductVersionLS & 0xFFFF;
  record.Valid = true;
  const uint32_t flags = info.FlagsMask & info.Flags;
  record.Debug = flags & 0x01;
  record.PreRelease = flags & 0x02;
  record.PrivateBuild = flags & 0x08;
  record.SpecialBuild = flags & 0x20;
  uint32_t stamp = 0;
  record.FileDate = system.FileDosDateTime(path, stamp) ? DosDateTimeToDays(stamp) : 0;
  return true;
}

std::string VersionText(const TFileVersion& record) {
  return std::to_string(record.FileVersion[0]) + "." + std::to_string(record.FileVersion[1]) + "." +
         std::to_string(record.FileVersion[2]) + "." + std::to_string(record.FileVersion[3]);
}

}  // namespace ferrolink
