#include "EventWriter.h"

#include <cstdio>

#include "eventfile.h"

namespace message_test {

EventRecord SampleEvent(int i) {
  static const char* const kDescriptions[] = {
      "Inhalt der folgenden Beschreibungsdatei hat sich w\xE4hrend des gleichen Bauteils "
      "ver\xE4"
      "ndert:",
      "Merkmal konnte nicht zugeordnet werden, Messwert wird \xFC"
      "bersprungen:",
      "Ausgabeverzeichnis nicht erreichbar, Datei wird sp\xE4ter \xFC"
      "bertragen:",
      "Gr\xF6\xDF"
      "e der Datei \xFC"
      "berschreitet die Grenze:",
  };
  static const int kErrors[] = {-22, -7, -31, -3};
  char date[16], time[16], value[16], path[96];
  std::snprintf(date, sizeof date, "%02d.%02d.2001", 1 + i % 28, 1 + (i / 28) % 12);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", (9 + i / 60) % 24, i % 60, (i * 7) % 60);
  std::snprintf(value, sizeof value, "%d", 2326 + i * 3);
  std::snprintf(path, sizeof path,
                "Datei 'C:\\Messdaten\\Pr\xFC"
                "fplatz 2\\Teil_%04d.dfq'",
                i);
  return EventRecord{date,
                     time,
                     "Fehler-ID:",
                     std::to_string(kErrors[i % 4]),
                     "Wert:",
                     value,
                     "Beschreibung:",
                     kDescriptions[i % 4],
                     path,
                     "<CalyrixExport>"};
}

std::vector<EventRecord> SampleEvents(std::size_t min_bytes, int first) {
  std::vector<EventRecord> records;
  std::size_t bytes = 0;
  for (int i = first; bytes < min_bytes; ++i) {
    records.push_back(SampleEvent(i));
    bytes += FrameRecord(records.back()).size();
  }
  return records;
}

EventRecord NumberedEvent(int n) {
  EventRecord record = SampleEvent(n);
  record[5] = std::to_string(n);
  std::string& description = record[7];
  const std::size_t framed = FrameRecord(record).size();
  if (framed > kNumberedEventBytes) {
    description.resize(description.size() - (framed - kNumberedEventBytes));
  } else {
    description.append(kNumberedEventBytes - framed, '.');
  }
  return record;
}

std::string FrameRecord(const EventRecord& record) {
  std::string framed(1, '\x02');
  for (std::size_t f = 0; f < record.size(); ++f) {
    if (f > 0) framed += '\t';
    framed += record[f];
  }
  framed += '\x03';
  return framed;
}

std::string FrameRecords(const std::vector<EventRecord>& records) {
  std::string content;
  for (const auto& r : records) content += FrameRecord(r);
  return content;
}

std::string Shift(const std::string& content) {
  std::string out = content;
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + message::EVENT_SHIFT);
  return out;
}

std::string Unshift(const std::string& stored) {
  std::string out = stored;
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) - message::EVENT_SHIFT);
  return out;
}

std::string ExpectedListText(const std::vector<EventRecord>& records) {
  const std::string gap = "    ";
  std::string text;
  for (std::size_t r = 0; r < records.size(); ++r) {
    const auto& f = records[r];
    if (r > 0) text += "\n" + std::string(103, '-') + "\n";
    for (int i = 0; i < 6; ++i) text += f[i] + gap;
    text += "\n" + f[6] + gap + f[7] + gap + "\n" + f[8] + gap + f[9];
  }
  if (!records.empty()) text += "\n\n";
  return text;
}

}  // namespace message_test
