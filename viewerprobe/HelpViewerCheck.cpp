#include "HelpViewerCheck.h"

#include <array>
#include <cstring>

namespace viewerprobe {

namespace {

// Where the vendor offers the help viewer for download.
constexpr const char* kDownloadAddress = "https://support.microsoft.com/kb/917607";

constexpr std::uint32_t kNt62Major = 6;
constexpr std::uint32_t kNt62Minor = 2;

}  // namespace

std::string ProbePath(ProbeSystem& system) {
  return system.EnvironmentValue("WinDir") + "\\Winhlp32.exe";
}

std::int64_t fkt_FileGetSize(ProbeSystem& system, const std::string& path) {
  const std::uint32_t attributes = system.FileAttributes(path);
  if (attributes == kInvalidFileAttributes) return 0;
  if (attributes & kFileAttributeDirectory) return 0;
  return system.FileLength(path).value_or(0);
}

bool fkt_OsGetVersion(ProbeSystem& system, bool& isNt62) {
  OsVersionRecord record;
  std::memset(&record, 0, sizeof record);
  record.size = sizeof record;
  const bool queried = system.QueryVersion(record);
  // A failed query leaves the record zero, which is no NT 6.2.
  if (!queried) std::memset(&record, 0, sizeof record);
  isNt62 = record.major == kNt62Major && record.minor == kNt62Minor &&
           record.platform == kPlatformWin32Nt;
  return queried;
}

bool HelpViewerNoticeNeeded(ProbeSystem& system) {
  if (fkt_FileGetSize(system, ProbePath(system)) > kLargestNonViewerSize) return false;
  bool isNt62 = false;
  fkt_OsGetVersion(system, isNt62);
  return isNt62;
}

std::string NoticeCaption() {
  return "Hilfeviewer MS WinHlp32 installieren | Install help viewer MS WinHlp32";
}

std::string NoticeText() {
  const std::array<std::string, 9> lines = {
      "Auf diesem System ist noch keine Software zum Darstellen der Quorlen Hilfedateien "
      "installiert.",
      "Zum Zeitpunkt dieses Softwarereleases wurde dieses Betriebssystem noch nicht "
      "unterst\xFCtzt.",
      "Um das notwendige Update (Microsoft WinHlp32.exe) zu installieren besuchen Sie bitte "
      "folgende Site:",
      kDownloadAddress,
      "",
      "On this system there is still not installed any software to represent Quorlen help files.",
      "At the date of this software release, this operating system was not yet supported.",
      "To install the required update (Microsoft WinHlp32.exe) please visit the following site:",
      kDownloadAddress,
  };
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace viewerprobe
