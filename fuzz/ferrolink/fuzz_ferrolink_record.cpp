// The record of copies over arbitrary bytes: reading never fails, every live
// entry was named and identified in the text, and opening the record
// removes a file only where its name holds the identity recorded for it.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "CopyRecord.h"
#include "FakeNames.h"
#include "FakeTransferFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto live = ferrolink::LiveCopies(text);
  for (const auto& [entry, copy] : live) {
    if (text.find("N\t" + entry + "\t" + copy.first + "\n") == std::string::npos) std::abort();
  }
  ferrolink::test::FakeParts<ferrolink::test::FakeTransferFiles, ferrolink::test::FakeNames> fake;
  fake.AddFile("D:\\Ziel\\a.dat.~ft", "a");
  fake.AddFile("D:\\Ziel\\b.dat.~ft", "b");
  fake.AddFile(fake.local_data + ferrolink::kCopyRecordName, text);
  // Names are kept as the file system compares them: without case.
  using ferrolink::test::FakeDisk;
  std::map<std::string, uint64_t> ids;
  for (const char* name : {"D:\\Ziel\\a.dat.~ft", "D:\\Ziel\\b.dat.~ft"})
    ids[FakeDisk::Key(name)] = fake.Find(name)->id;
  ferrolink::CopyRecord record(fake, fake);
  record.Open("D:\\Ziel\\");
  for (const std::string& removed : fake.removed) {
    bool proven = false;
    for (const auto& [entry, copy] : live) {
      const std::string key = FakeDisk::Key(removed);
      proven |= FakeDisk::Key(copy.first) == key && ids.count(key) && copy.second.Index == ids[key];
    }
    if (!proven) std::abort();
  }
  return 0;
}
