#include "SystemContract.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Paths.h"

namespace ferrolink::test {

namespace {

std::vector<std::string> Names(const System& sys, const std::string& pattern) {
  std::vector<std::string> names;
  auto listing = sys.folders.ListFolder(pattern);
  if (!listing) return {"<none>"};
  for (ListEntry e; listing->Next(e);) names.push_back(e.Name);
  std::sort(names.begin(), names.end());  // the order is the file system's own
  return names;
}

const CopyProgress kGoOn = [](uint64_t, uint64_t) { return true; };
const CopyMade kMade = [](const FileId&) {};

// Copies a held source to `to` by way of a temporary name and puts it in place.
bool Put(const System& s, HeldSource& held, const std::string& to,
         const CopyProgress& progress = kGoOn) {
  bool taken = false;
  const std::unique_ptr<HeldCopy> copy =
      s.transfer.CopyThrough(held, to + ".~ft", to, kMade, progress, taken);
  return copy && copy->PutInPlace();
}

// Holds `from` and copies it to `to`.
bool Copy(const System& s, const std::string& from, const std::string& to) {
  HoldFailure failure;
  const std::unique_ptr<HeldSource> held = s.transfer.HoldSource(from, SourceEnd::Unmark, failure);
  return held && Put(s, *held, to);
}

ListEntry Entry(const System& sys, const std::string& pattern) {
  ListEntry found;
  if (auto listing = sys.folders.ListFolder(pattern)) listing->Next(found);
  return found;
}

}  // namespace

const std::vector<ContractCase>& SystemContract() {
  static const std::vector<ContractCase> cases = {
      {"a listing names every entry, sizes and attributes as they are", "",
       [](Ground& g) {
         g.File("a.dat", "a");
         g.File("b.dat", "bbb");
         g.Folder("sub");
         g.File("nur lesen.dat", "r");
         g.ReadOnly("nur lesen.dat");
         System s = g.Sys();
         EXPECT_EQ(Names(s, g.Root() + "*.*"),
                   (std::vector<std::string>{".", "..", "a.dat", "b.dat", "nur lesen.dat", "sub"}));
         EXPECT_EQ(Names(s, g.Root() + "*.none"), std::vector<std::string>{"<none>"});
         EXPECT_EQ(Names(s, g.Root() + "fehlt\\*.*"), std::vector<std::string>{"<none>"});
         EXPECT_EQ(Entry(s, g.Root() + "b.dat").Size, 3u);
         EXPECT_TRUE(Entry(s, g.Root() + "sub").Attributes & kAttrDirectory);
         EXPECT_TRUE(Entry(s, g.Root() + "nur lesen.dat").Attributes & kAttrReadOnly);
       }},
      {"names outside the ANSI code page are listed and copied as they are", "",
       [](Ground& g) {
         g.Folder("Díl Řada 7");
         g.File("Díl Řada 7\\měření_ř.dfq", "m");
         System s = g.Sys();
         const std::string folder = g.Root() + "Díl Řada 7\\";
         EXPECT_EQ(Names(s, folder + "*.dfq"), std::vector<std::string>{"měření_ř.dfq"});
         EXPECT_TRUE(Copy(s, folder + "měření_ř.dfq", folder + "部品_01.dfq"));
         EXPECT_EQ(g.Content("Díl Řada 7\\部品_01.dfq"), "m");
       }},
      {"a link is a second spelling: same identity, final path of the folder", "",
       [](Ground& g) {
         g.Folder("daten\\sub");
         g.File("daten\\m.dat", "m");
         g.Link("zweitname", "daten");
         System s = g.Sys();
         FileId a, b, sub, file_a, file_b;
         ASSERT_TRUE(s.folders.Identity(g.Root() + "daten\\", a));
         ASSERT_TRUE(s.folders.Identity(g.Root() + "zweitname\\", b));
         ASSERT_TRUE(s.folders.Identity(g.Root() + "daten\\sub\\", sub));
         ASSERT_TRUE(s.folders.Identity(g.Root() + "daten\\m.dat", file_a));
         ASSERT_TRUE(s.folders.Identity(g.Root() + "zweitname\\m.dat", file_b));
         EXPECT_EQ(a, b);
         EXPECT_NE(a, sub);
         EXPECT_EQ(file_a, file_b);
         EXPECT_FALSE(s.folders.Identity(g.Root() + "fehlt\\", b));
         EXPECT_TRUE(Entry(s, g.Root() + "zweitname").Attributes & kAttrReparsePoint);
         EXPECT_EQ(s.names.UpperCase(s.folders.FinalPath(g.Root() + "zweitname\\sub\\")),
                   s.names.UpperCase(s.folders.FinalPath(g.Root() + "daten\\sub\\")));
         EXPECT_EQ(s.folders.FinalPath(g.Root() + "fehlt\\"), "");
         EXPECT_TRUE(s.folders.FolderExists(g.Root() + "zweitname"));
         EXPECT_FALSE(s.folders.FolderExists(g.Root() + "daten\\m.dat"));
       }},
      {"a copy is made under a new name only and held until it is put in place, over a file "
       "but not over one held open or read-only; one cancelled or let go leaves nothing",
       "Wine renames over a read-only file too; Windows refuses with access denied",
       [](Ground& g) {
         g.File("a.dat", "neu");
         g.File("b.dat.~ft", "eine Datei dieses Namens");
         for (const char* f : {"b.dat", "offen.dat", "fest.dat"}) g.File(f, "alt");
         g.ReadOnly("fest.dat");
         g.Hold("offen.dat", Holder::Writer);
         System s = g.Sys();
         const std::string b = g.Root() + "b.dat";
         HoldFailure failure;
         std::unique_ptr<HeldSource> held =
             s.transfer.HoldSource(g.Root() + "a.dat", SourceEnd::Unmark, failure);
         ASSERT_TRUE(held);
         bool taken = false;
         EXPECT_FALSE(s.transfer.CopyThrough(*held, b + ".~ft", b, kMade, kGoOn, taken));
         EXPECT_TRUE(taken);
         uint64_t last = 0, total = 0;
         std::unique_ptr<HeldCopy> copy = s.transfer.CopyThrough(
             *held, b + ".~ft2", b, kMade,
             [&](uint64_t copied, uint64_t all) {
               last = copied;
               total = all;
               return true;
             },
             taken);
         ASSERT_TRUE(copy);
         EXPECT_EQ(copy->Size(), 3u);
         EXPECT_FALSE(s.journal.RenameWhenLarger(b + ".~ft2", 0, g.Root() + "anders.dat"));
         EXPECT_TRUE(copy->PutInPlace());
         EXPECT_EQ(total, 3u);
         EXPECT_EQ(last, 3u);
         copy = s.transfer.CopyThrough(*held, b + ".~ft3", g.Root() + "c.dat", kMade, kGoOn, taken);
         copy.reset();
         EXPECT_FALSE(Put(s, *held, g.Root() + "c.dat", [](uint64_t, uint64_t) { return false; }));
         EXPECT_FALSE(Put(s, *held, g.Root() + "offen.dat"));
         EXPECT_EQ(Put(s, *held, g.Root() + "fest.dat"), g.Wine());
         g.ReleaseAll();
         EXPECT_EQ(g.Content("b.dat"), "neu");
         EXPECT_EQ(g.Content("b.dat.~ft"), "eine Datei dieses Namens");
         EXPECT_EQ(g.Content("offen.dat"), "alt");
         EXPECT_EQ(g.Content("fest.dat"), g.Wine() ? "neu" : "alt");
         for (const char* gone :
              {"b.dat.~ft2", "b.dat.~ft3", "c.dat.~ft", "c.dat", "offen.dat.~ft"}) {
           EXPECT_FALSE(g.Exists(gone)) << gone;
         }
         held.reset();
         uint64_t size = 0;
         EXPECT_TRUE(s.journal.FileSize(b, size));
         EXPECT_EQ(size, 3u);
         EXPECT_FALSE(s.journal.FileSize(g.Root(), size));  // a folder has none
         EXPECT_FALSE(Copy(s, g.Root() + "fehlt.dat", g.Root() + "c.dat"));
         g.Hold("a.dat", Holder::Exclusive);
         EXPECT_FALSE(Copy(s, g.Root() + "a.dat", g.Root() + "c.dat"));
         EXPECT_FALSE(s.transfer.LastErrorText().empty());
         g.ReleaseAll();
       }},
      {"a copy reads back through its own handle what the server stored, past the client's "
       "cache, in whole sectors only; the held source reads at any place",
       "Wine takes unaligned reads on an unbuffered handle; Windows refuses them with error 87. "
       "The server that stores a copy damaged is the fake's alone: Wine's local disk stores what "
       "it is given and has no client cache",
       [](Ground& g) {
         const std::string bytes(5000, 'm');
         g.File("a.dat", bytes);
         g.DamagesCopies();
         System s = g.Sys();
         HoldFailure failure;
         const std::unique_ptr<HeldSource> held =
             s.transfer.HoldSource(g.Root() + "a.dat", SourceEnd::Unmark, failure);
         ASSERT_TRUE(held);
         bool taken = false;
         const std::string b = g.Root() + "b.dat";
         const std::unique_ptr<HeldCopy> copy =
             s.transfer.CopyThrough(*held, b + ".~ft", b, kMade, kGoOn, taken);
         ASSERT_TRUE(copy);
         const Block aligned(2 * kSectorSize);
         char* const block = aligned.bytes;
         uint32_t got = 0;
         ASSERT_TRUE(copy->ReadBack(0, block, 2 * kSectorSize, got));
         EXPECT_EQ(got, 5000u);
         EXPECT_EQ(std::string(block, got) == bytes, g.Wine());  // the fake's server damaged it
         EXPECT_TRUE(copy->ReadBack(kSectorSize, block, kSectorSize, got));
         EXPECT_EQ(got, 5000u - kSectorSize);
         EXPECT_EQ(copy->ReadBack(1, block, kSectorSize, got), g.Wine());
         EXPECT_EQ(copy->ReadBack(0, block + 1, kSectorSize, got), g.Wine());
         EXPECT_EQ(copy->ReadBack(0, block, 100, got), g.Wine());
         EXPECT_TRUE(held->ReadAt(4990, block + 1, 100, got));
         EXPECT_EQ(std::string(block + 1, got), "mmmmmmmmmm");
         ASSERT_TRUE(copy->PutInPlace());
         std::string cached;
         EXPECT_EQ(s.settings.ReadWholeFile(b, cached), FileRead::Ok);
         EXPECT_EQ(cached, bytes);  // a buffered read: the cache answers
       }},
      {"a path of over 300 units works at every step; a plain one Windows refuses",
       "Wine takes a plain path of 260 units or more, which Windows refuses; Wine gives no "
       "final path of that length, which Windows gives",
       [](Ground& g) {
         System s = g.Sys();
         const std::string a = std::string(150, 'a'), b = std::string(150, 'b');
         const std::string folder = g.Root() + a + "\\" + b + "\\", file = folder + "m.dat";
         EXPECT_TRUE(s.transfer.MakeFolder(g.Root() + a));
         EXPECT_TRUE(s.transfer.MakeFolder(folder));
         g.File(a + "\\" + b + "\\m.dat", "messung");
         HoldFailure failure;
         std::unique_ptr<HeldSource> held = s.transfer.HoldSource(file, SourceEnd::Delete, failure);
         ASSERT_TRUE(held);
         EXPECT_TRUE(Put(s, *held, folder + "n.dat"));
         EXPECT_TRUE(held->Settle(0));
         held.reset();
         uint64_t size = 0;
         EXPECT_TRUE(s.journal.FileSize(folder + "n.dat", size));
         EXPECT_EQ(size, 7u);
         EXPECT_TRUE(s.journal.RenameWhenLarger(folder + "n.dat", 6, file));
         EXPECT_EQ(Names(s, folder + "*.*"), (std::vector<std::string>{".", "..", "m.dat"}));
         EXPECT_EQ(s.names.UpperCase(s.folders.FinalPath(folder)),
                   g.Wine() ? "" : s.names.UpperCase(folder));
         EXPECT_EQ(s.names.FullPath(g.Root() + a + "\\x\\..\\" + b + "\\m.dat"), file);
         FileId id;
         EXPECT_TRUE(s.folders.Identity(file, id));
         EXPECT_TRUE(s.journal.AppendFile(folder + "ferrolink.log", "Zeile\r\n"));
         EXPECT_EQ(g.Content(a + "\\" + b + "\\ferrolink.log"), "Zeile\r\n");
         // A "." name keeps a path from its long form: handed on plainly.
         EXPECT_EQ(s.journal.FileSize(g.Root() + a + "\\.\\" + b + "\\m.dat", size), g.Wine());
       }},
      {"folders are made one level at a time", "",
       [](Ground& g) {
         System s = g.Sys();
         EXPECT_TRUE(s.transfer.MakeFolder(g.Root() + "neu"));
         EXPECT_FALSE(s.transfer.MakeFolder(g.Root() + "neu"));  // there already
         EXPECT_FALSE(s.transfer.MakeFolder(g.Root() + "fehlt\\neu"));
         EXPECT_TRUE(s.folders.FolderExists(g.Root() + "neu"));
       }},
      {"a source is held only while nobody writes it, and settled through the hold; a second "
       "holder finds it taken elsewhere then",
       "Wine shows a pending delete to no other handle and opens such a file again; it keeps "
       "the archive bit",
       [](Ground& g) {
         g.File("m.dat", "messung");
         System s = g.Sys();
         const std::string f = g.Root() + "m.dat";
         HoldFailure failure = HoldFailure::None;
         for (const Holder holder : {Holder::Writer, Holder::Exclusive}) {
           g.Hold("m.dat", holder);
           for (const SourceEnd end : {SourceEnd::Delete, SourceEnd::Unmark}) {
             EXPECT_FALSE(s.transfer.HoldSource(f, end, failure));
             EXPECT_EQ(failure, HoldFailure::Written);
           }
           g.ReleaseAll();
         }
         EXPECT_FALSE(s.transfer.HoldSource(g.Root() + "fehlt.dat", SourceEnd::Delete, failure));
         EXPECT_EQ(failure, HoldFailure::Gone);
         std::unique_ptr<HeldSource> held = s.transfer.HoldSource(f, SourceEnd::Unmark, failure);
         std::unique_ptr<HeldSource> other = s.transfer.HoldSource(f, SourceEnd::Unmark, failure);
         ASSERT_TRUE(held && other);
         EXPECT_EQ(held->Size(), 7u);
         EXPECT_FALSE(other->TakenElsewhere());
         EXPECT_TRUE(held->Settle(0x02));
         EXPECT_FALSE(held->TakenElsewhere());
         EXPECT_EQ(other->TakenElsewhere(), !g.Wine());
         held.reset();
         other.reset();
         EXPECT_TRUE(g.Attributes("m.dat") & 0x02);
         held = s.transfer.HoldSource(f, SourceEnd::Delete, failure);
         other = s.transfer.HoldSource(f, SourceEnd::Delete, failure);
         ASSERT_TRUE(held && other);
         EXPECT_TRUE(held->Settle(0));
         held.reset();
         EXPECT_EQ(other->TakenElsewhere(), !g.Wine());
         held = s.transfer.HoldSource(f, SourceEnd::Delete, failure);
         EXPECT_EQ(failure, g.Wine() ? HoldFailure::None : HoldFailure::Gone);
         held.reset();
         other.reset();
         EXPECT_FALSE(g.Exists("m.dat"));
       }},
      {"a whole file is read while others only read it; a save replaces it whole", "",
       [](Ground& g) {
         g.File("a.ini", "[S]\r\nk=v\r\n");
         System s = g.Sys();
         std::string bytes;
         EXPECT_EQ(s.settings.ReadWholeFile(g.Root() + "a.ini", bytes), FileRead::Ok);
         EXPECT_EQ(bytes, "[S]\r\nk=v\r\n");
         EXPECT_EQ(s.settings.ReadWholeFile(g.Root() + "fehlt.ini", bytes), FileRead::Missing);
         EXPECT_EQ(s.settings.ReadWholeFile(g.Root() + "fehlt\\a.ini", bytes), FileRead::Missing);
         EXPECT_TRUE(s.settings.ReplaceWholeFile(g.Root() + "neu.ini", "neu"));  // none to back up
         EXPECT_TRUE(s.settings.ReplaceWholeFile(g.Root() + "a.ini", "ersetzt"));
         EXPECT_EQ(g.Content("a.ini"), "ersetzt");
         EXPECT_FALSE(g.Exists("a.ini.new"));
         EXPECT_FALSE(g.Exists("a.ini.alt"));
         EXPECT_FALSE(s.settings.ReplaceWholeFile(g.Root() + "fehlt\\a.ini", "x"));
         g.Hold("a.ini", Holder::Writer);
         EXPECT_EQ(s.settings.ReadWholeFile(g.Root() + "a.ini", bytes), FileRead::Failed);
         g.ReleaseAll();
       }},
      {"the journal is appended to, made when missing, and fails while held", "",
       [](Ground& g) {
         System s = g.Sys();
         EXPECT_TRUE(s.journal.AppendFile(g.Root() + "j.log", "a\r\n"));
         EXPECT_TRUE(s.journal.AppendFile(g.Root() + "j.log", "b\r\n"));
         std::string landed;
         EXPECT_TRUE(s.journal.AppendFile(g.Root() + "j.log", "", &landed));
         EXPECT_EQ(s.names.UpperCase(landed), s.names.UpperCase(g.Root() + "j.log"));
         EXPECT_EQ(g.Content("j.log"), "a\r\nb\r\n");
         for (const Holder holder : {Holder::Exclusive, Holder::Writer}) {
           g.Hold("j.log", holder);
           EXPECT_FALSE(s.journal.AppendFile(g.Root() + "j.log", "c\r\n"));
           EXPECT_FALSE(s.journal.RenameWhenLarger(g.Root() + "j.log", 0, g.Root() + "j.log.1"));
           g.ReleaseAll();
         }
         EXPECT_EQ(g.Content("j.log"), "a\r\nb\r\n");
         // Renamed only when larger, and then over an older ".1".
         g.File("j.log.1", "älter");
         EXPECT_FALSE(s.journal.RenameWhenLarger(g.Root() + "j.log", 6, g.Root() + "j.log.1"));
         EXPECT_TRUE(s.journal.RenameWhenLarger(g.Root() + "j.log", 5, g.Root() + "j.log.1"));
         EXPECT_EQ(g.Content("j.log.1"), "a\r\nb\r\n");
         EXPECT_FALSE(g.Exists("j.log"));
         EXPECT_FALSE(s.journal.RenameWhenLarger(g.Root() + "j.log", 0, g.Root() + "j.log.1"));
       }},
      {"a reader that keeps its delete from others blocks a hold for a delete, not one for "
       "copy mode, and keeps its file from being replaced or removed; a copy is removed by its "
       "identity only, once nobody holds it",
       "",
       [](Ground& g) {
         g.File("m.dat", "messung");
         g.File("alt.dat", "alt");
         System s = g.Sys();
         const std::string m = g.Root() + "m.dat", alt = g.Root() + "alt.dat";
         g.Hold("m.dat", Holder::Reader);
         g.Hold("alt.dat", Holder::Reader);
         HoldFailure failure = HoldFailure::None;
         EXPECT_FALSE(s.transfer.HoldSource(m, SourceEnd::Delete, failure));
         EXPECT_EQ(failure, HoldFailure::Read);
         std::unique_ptr<HeldSource> held = s.transfer.HoldSource(m, SourceEnd::Unmark, failure);
         ASSERT_TRUE(held);
         EXPECT_TRUE(s.transfer.NameHeld(alt));
         EXPECT_FALSE(Put(s, *held, alt));
         EXPECT_EQ(s.transfer.LastErrorKind(), ErrorKind::Lasting);
         FileId made, other;
         bool taken = false;
         std::unique_ptr<HeldCopy> copy = s.transfer.CopyThrough(
             *held, g.Root() + "n.dat.~ft", g.Root() + "n.dat",
             [&](const FileId& id) { made = id; }, kGoOn, taken);
         ASSERT_TRUE(copy);
         EXPECT_EQ(s.transfer.RemoveIfSame(g.Root() + "n.dat.~ft", made), Removal::Held);
         EXPECT_TRUE(copy->PutInPlace());
         EXPECT_EQ(s.transfer.RemoveIfSame(g.Root() + "n.dat.~ft", made), Removal::NotOurs);
         ASSERT_TRUE(s.folders.Identity(alt, other));
         EXPECT_EQ(s.transfer.RemoveIfSame(alt, other), Removal::Held);
         g.ReleaseAll();
         EXPECT_FALSE(s.transfer.NameHeld(alt));
         EXPECT_EQ(s.transfer.RemoveIfSame(alt, made), Removal::NotOurs);
         EXPECT_EQ(s.transfer.RemoveIfSame(g.Root() + "n.dat", made), Removal::Removed);
         EXPECT_EQ(g.Content("alt.dat"), "alt");
         EXPECT_FALSE(g.Exists("n.dat"));
       }},
      {"a hold follows its file when it is renamed; a link to a file is held as a link, or "
       "shows through the hold where it leads",
       "Wine lists a link to a file as a plain file and opens what it leads to, also with "
       "FILE_FLAG_OPEN_REPARSE_POINT; the path through the handle names that file",
       [](Ground& g) {
         g.Folder("ziel");
         g.File("ziel\\m.dat", "geheim");
         g.File("a.dat", "a");
         g.FileLink("verweis.dat", "ziel\\m.dat");
         System s = g.Sys();
         HoldFailure failure = HoldFailure::None;
         std::unique_ptr<HeldSource> link =
             s.transfer.HoldSource(g.Root() + "verweis.dat", SourceEnd::Delete, failure);
         const std::string here = s.names.UpperCase(s.folders.Location(g.Root()));
         ASSERT_FALSE(here.empty());
         EXPECT_TRUE(failure == HoldFailure::Link ||
                     (link && s.names.UpperCase(link->Location()) != here + "VERWEIS.DAT"));
         link.reset();
         std::unique_ptr<HeldSource> held =
             s.transfer.HoldSource(g.Root() + "a.dat", SourceEnd::Delete, failure);
         ASSERT_TRUE(held);
         EXPECT_EQ(s.names.UpperCase(held->Location()), here + "A.DAT");
         EXPECT_TRUE(held->StillAt(SystemPath(g.Root() + "a.dat")));
         g.Rename("a.dat", "b.dat");
         EXPECT_TRUE(held->StillAt(SystemPath(g.Root() + "b.dat")));
         EXPECT_FALSE(held->StillAt(SystemPath(g.Root() + "a.dat")));
         g.File("a.dat", "neu");
         EXPECT_FALSE(held->StillAt(SystemPath(g.Root() + "a.dat")));
         held.reset();
         EXPECT_EQ(g.Content("ziel\\m.dat"), "geheim");
       }},
      {"a name too long for the server's count of bytes is refused as a name", "",
       [](Ground& g) {
         g.NamesInBytes();
         g.File("m.dat", "m");
         System s = g.Sys();
         std::string name;
         for (int n = 0; n < 130; ++n) name += "ř";  // 130 units, 260 bytes
         HoldFailure failure = HoldFailure::None;
         std::unique_ptr<HeldSource> held =
             s.transfer.HoldSource(g.Root() + "m.dat", SourceEnd::Unmark, failure);
         ASSERT_TRUE(held);
         bool taken = false;
         EXPECT_FALSE(
             s.transfer.CopyThrough(*held, g.Root() + name, g.Root() + name, kMade, kGoOn, taken));
         EXPECT_EQ(s.transfer.LastErrorKind(), ErrorKind::Name);
         EXPECT_FALSE(taken);
       }},
      {"the settings file's path comes from the registry value as it is", "",
       [](Ground& g) {
         System s = g.Sys();
         std::string path = "x";
         g.SettingsKey(false, "", false);
         EXPECT_EQ(s.settings.SettingsFilePath(path), SettingsValue::NoKey);
         g.SettingsKey(true, "", false);
         EXPECT_EQ(s.settings.SettingsFilePath(path), SettingsValue::Missing);
         EXPECT_EQ(path, "");
         g.SettingsKey(true, "D:\\Díl Řada 7\\%TEMP%\\k9q2.ini", false);
         EXPECT_EQ(s.settings.SettingsFilePath(path), SettingsValue::String);
         EXPECT_EQ(path, "D:\\Díl Řada 7\\%TEMP%\\k9q2.ini");  // nothing expanded
         g.SettingsKey(true, "7", true);
         EXPECT_EQ(s.settings.SettingsFilePath(path), SettingsValue::OtherType);
         g.SettingsKey(false, "", false);
       }},
      {"paths, names and text", "Wine connects nothing: it has no network",
       [](Ground& g) {
         System s = g.Sys();
         EXPECT_EQ(s.names.FullPath(g.Root() + "a\\..\\b/c.dat"), g.Root() + "b\\c.dat");
         EXPECT_EQ(s.names.UpperCase("c:\\daten\\mäße díl řada μετρα данные"),
                   "C:\\DATEN\\MÄßE DÍL ŘADA ΜΕΤΡΑ ДАННЫЕ");
         EXPECT_EQ(s.settings.FromAnsi("M\xE4rz \x80"), "März €");
         std::string bytes;
         EXPECT_TRUE(s.settings.ToAnsi("Größe €", bytes));
         EXPECT_EQ(bytes,
                   "Gr\xF6\xDF"
                   "e \x80");
         EXPECT_FALSE(s.settings.ToAnsi("Řada", bytes));
         std::string unc;
         EXPECT_FALSE(s.names.UniversalName(g.Root(), unc));  // a local folder has none
         EXPECT_FALSE(s.folders.Connect(g.Root()));
         uint32_t high = 0, low = 0;
         g.File("ohne.exe", "MZ");
         EXPECT_FALSE(s.names.FileVersionWords(g.Root() + "ohne.exe", high, low));
         const std::string program = s.names.ProgramFile();
         EXPECT_EQ(s.names.UpperCase(program.substr(program.size() - 4)), ".EXE");
         EXPECT_EQ(s.names.TextWidth(""), 0);
       }},
  };
  return cases;
}

}  // namespace ferrolink::test
