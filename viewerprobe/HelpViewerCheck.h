// The help-viewer check: where the viewer is looked for, when it counts as
// missing, when the missing viewer is worth a notice, and the notice itself.
#pragma once

#include <cstdint>
#include <string>

#include "ProbeSystem.h"

namespace viewerprobe {

// The window's answer values (the platform's message-box codes).
inline constexpr std::int32_t kAnswerPending = 2;
inline constexpr std::int32_t kAnswerNo = 7;

// A viewer file of at most this many bytes is no viewer.
inline constexpr std::int64_t kLargestNonViewerSize = 40000;

// Milliseconds the notice's wait sleeps between two rounds of messages.
inline constexpr unsigned kNoticeWaitSleepMs = 5;

// %WinDir% followed directly by "\Winhlp32.exe".
std::string ProbePath(ProbeSystem& system);

// Sets isNt62 to whether the system reports itself as Windows NT 6.2.
// Returns false when the version query failed (isNt62 is then false).
bool fkt_OsGetVersion(ProbeSystem& system, bool& isNt62);

// The decision of the check: true when the viewer counts as missing and the
// system is NT 6.2. The version is only queried for a missing viewer.
bool HelpViewerNoticeNeeded(ProbeSystem& system);

// The notice's window title and its nine lines joined by CR LF.
std::string NoticeCaption();
std::string NoticeText();

}  // namespace viewerprobe
