// The real system behind Ferrolink's seam, against the files and registry of
// the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "Driver.h"
#include "Win32System.h"

namespace {

using ferrolink::FileRead;
using ferrolink::SettingsValue;
using ferrolink::Settled;
using ferrolink::SourceEnd;

const char kKey[] = "Software\\Quorlen\\Calyrix K9Q2";

class Win32SystemTest : public ::testing::Test {
 protected:
  void TearDown() override { e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey); }
  ferrolink::Win32System sys;
  e2e::WorkDir dir = e2e::TestWorkDir();
};

HANDLE OpenHeld(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

TEST_F(Win32SystemTest, ReadWholeFileSharesOnlyReading) {
  const std::string f = dir / "a.ini";
  ASSERT_TRUE(e2e::WriteFileBytes(f, "[S]\r\nk=v\r\n"));
  std::string bytes;
  EXPECT_EQ(sys.ReadWholeFile(f, bytes), FileRead::Ok);
  EXPECT_EQ(bytes, "[S]\r\nk=v\r\n");
  EXPECT_EQ(sys.ReadWholeFile(dir / "none.ini", bytes), FileRead::Missing);
  EXPECT_EQ(sys.ReadWholeFile(dir / "no\\such\\dir.ini", bytes), FileRead::Missing);

  HANDLE reader = OpenHeld(f, GENERIC_READ, FILE_SHARE_READ);
  EXPECT_EQ(sys.ReadWholeFile(f, bytes), FileRead::Ok);  // another reader is fine
  CloseHandle(reader);
  HANDLE writer = OpenHeld(f, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(sys.ReadWholeFile(f, bytes), FileRead::Failed);  // a writer is not
  CloseHandle(writer);
}

TEST_F(Win32SystemTest, ReplaceWholeFileKeepsTheOldFileOnFailure) {
  const std::string f = dir / "ferrolink.ini";
  ASSERT_TRUE(sys.ReplaceWholeFile(f, "new\r\n"));
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "new\r\n");
  ASSERT_TRUE(sys.ReplaceWholeFile(f, "newer\r\n"));
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "newer\r\n");
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()), std::vector<std::string>{"ferrolink.ini"});

  HANDLE locked = OpenHeld(f, GENERIC_READ, 0);
  EXPECT_FALSE(sys.ReplaceWholeFile(f, "lost\r\n"));
  CloseHandle(locked);
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "newer\r\n");
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()), std::vector<std::string>{"ferrolink.ini"});

  EXPECT_FALSE(sys.ReplaceWholeFile(dir / "missing\\ferrolink.ini", "x"));
}

TEST_F(Win32SystemTest, SettingsValueTypes) {
  e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey);
  EXPECT_FALSE(sys.OpenSettingsKey());  // never created

  ASSERT_TRUE(e2e::RegSetDword(HKEY_CURRENT_USER, kKey, "Other", 1));
  ASSERT_TRUE(sys.OpenSettingsKey());
  std::string value = "x";
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::Missing);
  EXPECT_EQ(value, "");

  ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", "C:\\Calyrix\\K9Q2.ini"));
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::String);
  EXPECT_EQ(value, "C:\\Calyrix\\K9Q2.ini");

  ASSERT_TRUE(
      e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", "%TEMP%\\s.ini", REG_EXPAND_SZ));
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::String);
  EXPECT_EQ(value, "%TEMP%\\s.ini");  // not expanded

  ASSERT_TRUE(e2e::RegSetBinary(HKEY_CURRENT_USER, kKey, "Settings", "C:\\x.ini", REG_SZ));
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::String);  // stored without its NUL
  EXPECT_EQ(value, "C:\\x.ini");

  // Read as the system holds it, whatever the code page can spell.
  const std::wstring wide = L"D:\\Díl Řada 7\\k9q2.ini";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, L"Settings", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::String);
  EXPECT_EQ(value, "D:\\Díl Řada 7\\k9q2.ini");

  ASSERT_TRUE(e2e::RegSetDword(HKEY_CURRENT_USER, kKey, "Settings", 7));
  EXPECT_EQ(sys.ReadSettingsValue(value), SettingsValue::OtherType);
  sys.CloseSettingsKey();
}

TEST_F(Win32SystemTest, PathsNamesAndText) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  std::string base = cwd;
  if (base.back() != '\\') base += '\\';
  EXPECT_EQ(sys.FullPathName("sub/dir\\f.txt"), base + "sub\\dir\\f.txt");
  EXPECT_EQ(sys.FullPathName("C:\\a\\..\\b\\"), "C:\\b\\");
  EXPECT_EQ(sys.CurrentDirectory() + (sys.CurrentDirectory().back() == '\\' ? "" : "\\"), base);
  EXPECT_NE(sys.ModuleFileName().find("ferrolink_win32_test.exe"), std::string::npos);

  std::string unc;
  EXPECT_FALSE(sys.UniversalName("C:\\windows\\", unc));  // a local drive has none
  EXPECT_FALSE(sys.IsWin9x());

  EXPECT_EQ(sys.UpperCase("c:\\daten\\mäße öü"), "C:\\DATEN\\MÄßE ÖÜ");
  EXPECT_EQ(sys.TextWidth(""), 0);
  EXPECT_GT(sys.TextWidth("WWWW"), sys.TextWidth("iiii"));
  const int w = sys.TextWidth("C:\\Daten\\Messung\\");
  EXPECT_GT(w, 40);
  EXPECT_LT(w, 160);
}

TEST_F(Win32SystemTest, FileOperationsOfTheTransfer) {
  ASSERT_TRUE(sys.CreateDirectoryLevel(dir / "src"));
  EXPECT_FALSE(sys.CreateDirectoryLevel(dir / "src"));  // exists already
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "src\\b.dat", "bbb"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "src\\a.dat", "a"));
  ASSERT_TRUE(sys.CreateDirectoryLevel(dir / "src\\sub"));

  auto listing = sys.List(dir / "src\\*.*");
  ASSERT_TRUE(listing);
  std::vector<std::string> names;
  ferrolink::ListEntry e;
  uint64_t size_of_b = 0;
  while (listing->Next(e)) {
    names.push_back(e.Name);
    if (e.Name == "b.dat") size_of_b = (uint64_t{e.SizeHigh} << 32) | e.SizeLow;
  }
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.dat", "b.dat", "sub"}));
  EXPECT_EQ(size_of_b, 3u);
  EXPECT_FALSE(sys.List(dir / "src\\*.none"));
  EXPECT_FALSE(sys.List(dir / "nothing\\*.*"));

  const std::string target = dir / "b-copy.dat";
  ASSERT_TRUE(e2e::WriteFileBytes(target, "old content"));
  ASSERT_TRUE(sys.CopyFileOver(dir / "src\\b.dat", target));  // replaces
  EXPECT_EQ(e2e::ReadFileBytes(target).value_or(""), "bbb");
  uint64_t size = 0, src_time = 0, dst_time = 0;
  ASSERT_TRUE(sys.FileStamp(dir / "src\\b.dat", size, src_time));
  EXPECT_EQ(size, 3u);
  ASSERT_TRUE(sys.FileStamp(target, size, dst_time));
  EXPECT_EQ(src_time, dst_time);  // the copy keeps the last-write time
  EXPECT_FALSE(sys.FileStamp(dir / "src", size, dst_time));

  HANDLE locked = OpenHeld(dir / "src\\a.dat", GENERIC_READ, 0);
  EXPECT_FALSE(sys.CopyFileOver(dir / "src\\a.dat", dir / "a-copy.dat"));
  EXPECT_FALSE(sys.DeleteFileAt(dir / "src\\a.dat"));
  CloseHandle(locked);
  EXPECT_TRUE(sys.DeleteFileAt(dir / "src\\a.dat"));
  EXPECT_FALSE(e2e::FileExists(dir / "src\\a.dat"));

  EXPECT_TRUE(sys.FileAttributes(dir / "src\\sub") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(sys.FileAttributes(dir / "none"), ferrolink::kInvalidAttributes);
}

// The source's last check and its end happen on one handle that no writer
// shares: a file a writer holds, or one written since, stays as it is.
TEST_F(Win32SystemTest, ASourceIsSettledOnlyWhileNoWriterHoldsIt) {
  const std::string f = dir / "m.dat";
  ASSERT_TRUE(e2e::WriteFileBytes(f, "messung"));
  uint64_t size = 0, utc = 0;
  ASSERT_TRUE(sys.FileStamp(f, size, utc));
  const uint64_t local = sys.ToLocalFileTime(utc);
  for (const DWORD share :
       {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    HANDLE writer = OpenHeld(f, GENERIC_WRITE, share);
    EXPECT_EQ(sys.SettleSource(f, SourceEnd::Delete, size, local, 0), Settled::Failed);
    EXPECT_EQ(sys.SettleSource(f, SourceEnd::Unmark, size, local, 0), Settled::Failed);
    CloseHandle(writer);
  }
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Delete, size + 1, local, 0), Settled::Changed);
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Delete, size, local + 1, 0), Settled::Changed);
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Unmark, size, local, FILE_ATTRIBUTE_HIDDEN),
            Settled::Done);
  EXPECT_TRUE(sys.FileAttributes(f) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Unmark, size, local, 0), Settled::Done);
  EXPECT_FALSE(sys.FileAttributes(f) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(e2e::FileExists(f));
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Delete, size, local, 0), Settled::Done);
  EXPECT_FALSE(e2e::FileExists(f));
  EXPECT_EQ(sys.SettleSource(f, SourceEnd::Delete, size, local, 0), Settled::Failed);
}

// Names the ANSI code page cannot spell reach the file system whole.
TEST_F(Win32SystemTest, NamesOutsideTheCodePageKeepEveryCharacter) {
  const std::string folder = dir / "Díl Řada 7\\";
  ASSERT_TRUE(sys.CreateDirectoryLevel(folder));
  for (const char* name : {"měření_ř.dfq", "部品_01.dfq"}) {
    HANDLE h = CreateFileW(ferrolink::Wide(folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << name;
    CloseHandle(h);
  }
  auto listing = sys.List(folder + "*.dfq");
  ASSERT_TRUE(listing);
  std::vector<std::string> names;
  for (ferrolink::ListEntry e; listing->Next(e);) names.push_back(e.Name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"měření_ř.dfq", "部品_01.dfq"}));

  ASSERT_TRUE(sys.CopyFileOver(folder + "měření_ř.dfq", folder + "Größe_ř.~ft"));
  ASSERT_TRUE(sys.FlushFileAt(folder + "Größe_ř.~ft"));
  ASSERT_TRUE(sys.MoveFileOver(folder + "Größe_ř.~ft", folder + "部品_01.dfq"));
  EXPECT_TRUE(sys.DeleteFileAt(folder + "měření_ř.dfq"));
  EXPECT_EQ(sys.FullPathName(folder + "x\\..\\部品_01.dfq"), folder + "部品_01.dfq");
  ferrolink::FileId a, b;
  ASSERT_TRUE(e2e::LinuxSymlink(folder, dir / "Kurz"));
  ASSERT_TRUE(sys.FileIdentity(folder + "部品_01.dfq", a));
  ASSERT_TRUE(sys.FileIdentity(dir / "Kurz\\部品_01.dfq", b));
  EXPECT_EQ(a, b);
  EXPECT_FALSE(sys.FileIdentity(folder, b));  // a folder is no file

  EXPECT_EQ(sys.UpperCase("díl řada μετρα данные"), "DÍL ŘADA ΜΕΤΡΑ ДАННЫЕ");
  EXPECT_EQ(sys.FromAnsi("M\xE4rz \x80"), "März €");
  std::string bytes;
  EXPECT_TRUE(sys.ToAnsi("Größe €", bytes));
  EXPECT_EQ(bytes,
            "Gr\xF6\xDF"
            "e \x80");
  EXPECT_FALSE(sys.ToAnsi("Řada", bytes));
  EXPECT_GT(sys.TextWidth("部品"), sys.TextWidth("."));
}

TEST_F(Win32SystemTest, ASaveKeepsTheFilesAttributesAndIsNotBlockedByALeftover) {
  const std::string f = dir / "ferrolink.ini";
  ASSERT_TRUE(e2e::WriteFileBytes(f, "old\r\n"));
  ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_HIDDEN));
  // A temporary file of an earlier crash, read-only, and one held open.
  ASSERT_TRUE(e2e::WriteFileBytes(f + ".new", "half"));
  ASSERT_TRUE(SetFileAttributesA((f + ".new").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(sys.ReplaceWholeFile(f, "new\r\n"));
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "new\r\n");
  EXPECT_TRUE(GetFileAttributesA(f.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  ASSERT_TRUE(e2e::WriteFileBytes(f + ".new", "half"));
  HANDLE held = OpenHeld(f + ".new", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_TRUE(sys.ReplaceWholeFile(f, "newer\r\n"));
  CloseHandle(held);
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "newer\r\n");
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()),
            (std::vector<std::string>{"ferrolink.ini", "ferrolink.ini.new"}));
}

TEST_F(Win32SystemTest, FoldersKeepTheirIdentityUnderEverySpelling) {
  ASSERT_TRUE(e2e::MakeDirs(dir / "daten\\sub"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "daten\\m.dat", "m"));
  ASSERT_TRUE(e2e::LinuxSymlink(dir / "daten", dir / "zweiter Name"));
  ferrolink::FileId a, b, sub;
  ASSERT_TRUE(sys.FolderIdentity(dir / "daten\\", a));
  ASSERT_TRUE(sys.FolderIdentity(dir / "zweiter Name\\", b));
  ASSERT_TRUE(sys.FolderIdentity(dir / "daten\\sub\\", sub));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, sub);
  EXPECT_FALSE(sys.FolderIdentity(dir / "fehlt\\", b));
  EXPECT_FALSE(sys.FolderIdentity(dir / "daten\\m.dat", b));  // a file is no folder
}
