#include "HelpViewerCheck.h"

#include <array>
#include <optional>

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

bool fkt_OsGetVersion(ProbeSystem& system, bool& isNt62) {
  const std::optional<WindowsVersion> version = system.Version();
  // A failed query is no NT 6.2.
  isNt62 = version && version->major == kNt62Major && version->minor == kNt62Minor &&
           version->platform == kPlatformWin32Nt;
  return version.has_value();
}

bool HelpViewerNoticeNeeded(ProbeSystem& system) {
  if (system.FileSize(ProbePath(system)) > kLargestNonViewerSize) return false;
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
