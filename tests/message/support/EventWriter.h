// Writes event files the way the plug-in does: STX / TAB / ETX framed records
// of ten fields, German texts in the ANSI code page, every byte shifted.
// Also states, independently of the viewer's code, the list text that a run
// of records must give.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace message_test {

using EventRecord = std::array<std::string, 10>;

// The i-th of a varied run of realistic events (dates, times, error numbers,
// German descriptions with umlauts, file paths).
EventRecord SampleEvent(int i);
// Records SampleEvent(first), SampleEvent(first + 1), ... until their framed
// length reaches at least min_bytes.
std::vector<EventRecord> SampleEvents(std::size_t min_bytes, int first = 0);

// The n-th event of a plug-in that numbers its events: SampleEvent(n) with n
// as its value (field 6), its description cut or filled so that it is
// kNumberedEventBytes long when framed.
inline constexpr std::size_t kNumberedEventBytes = 200;
EventRecord NumberedEvent(int n);

// STX f1 TAB f2 ... TAB f10 ETX, unshifted.
std::string FrameRecord(const EventRecord& record);
std::string FrameRecords(const std::vector<EventRecord>& records);
// Content as the file stores it: every byte plus the shift.
std::string Shift(const std::string& content);
std::string Unshift(const std::string& stored);

// The list text that well-formed records give: three lines per record,
// a separator line between two records, two line feeds at the end.
std::string ExpectedListText(const std::vector<EventRecord>& records);

}  // namespace message_test
