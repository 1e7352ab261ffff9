#include "EventFileContract.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace message_test {

namespace {

constexpr std::uint64_t kAll = UINT64_MAX;
// Every byte value may stand in the stored file.
const std::string kStored(
    "a\0\x02\xFF"
    "bc",
    6);

}  // namespace

const std::vector<EventFileCase>& EventFileContract() {
  static const std::vector<EventFileCase> cases = {
      {"a size is a file's length; a folder or nothing has none",
       [](EventFileGround& g) {
         g.File("QsStat.sta", kStored);
         g.Folder("Ordner");
         auto& s = g.Sys();
         EXPECT_EQ(s.FileSize(g.Path("QsStat.sta")), kStored.size());
         EXPECT_EQ(s.FileSize(g.Path("Ordner")), std::nullopt);
         EXPECT_EQ(s.FileSize(g.Path("fehlt.sta")), std::nullopt);
       }},
      {"a read gives at most the limit from the offset, nothing past the end",
       [](EventFileGround& g) {
         g.File("QsStat.sta", kStored);
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta");
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), kStored);
         EXPECT_EQ(s.ReadFrom(p, 4, kAll), "bc");
         EXPECT_EQ(s.ReadFrom(p, 1, 2), kStored.substr(1, 2));
         EXPECT_EQ(s.ReadFrom(p, 10, kAll), "");
         EXPECT_EQ(s.ReadFrom(g.Path("fehlt.sta"), 0, kAll), std::nullopt);
       }},
      {"size, read, index and append go on while the plug-in holds the file",
       [](EventFileGround& g) {
         g.File("QsStat.sta", kStored);
         g.HoldForAppending("QsStat.sta", false);
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta");
         EXPECT_EQ(s.FileSize(p), kStored.size());
         EXPECT_TRUE(s.FileIndex(p).has_value());
         EXPECT_TRUE(s.Append(p, "de"));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), kStored + "de");
       }},
      {"a whole write makes or empties a file; an append needs one",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt und lang");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), missing = g.Path("fehlt.sta");
         EXPECT_TRUE(s.WriteWhole(p, kStored));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), kStored);
         EXPECT_TRUE(s.WriteWhole(g.Path("neu.tmp"), "n"));
         EXPECT_EQ(s.ReadFrom(g.Path("neu.tmp"), 0, kAll), "n");
         EXPECT_FALSE(s.Append(missing, "x"));
         EXPECT_EQ(s.FileSize(missing), std::nullopt) << "an append makes no file";
       }},
      {"an index stays with the file under a new name; a file made anew gets another",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt");
         g.Folder("Ordner");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), moved = g.Path("QsStat.sta.bak");
         const auto before = s.FileIndex(p);
         ASSERT_TRUE(before.has_value());
         ASSERT_TRUE(s.Rename(p, moved));
         EXPECT_EQ(s.FileIndex(moved), before);
         // The old file lives on, so its number cannot be given again.
         ASSERT_TRUE(s.WriteWhole(p, "neu"));
         EXPECT_NE(s.FileIndex(p), before);
         EXPECT_EQ(s.FileIndex(g.Path("fehlt.sta")), std::nullopt);
         EXPECT_EQ(s.FileIndex(g.Path("Ordner")), std::nullopt);
       }},
      {"a replace puts a file in the place of another, or where none stands",
       [](EventFileGround& g) {
         g.File("QsStat.sta.trim", "alt");
         g.File("QsStat.sta.next", "neu");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta.trim"), next = g.Path("QsStat.sta.next"),
                           missing = g.Path("fehlt.sta");
         EXPECT_FALSE(s.Replace(missing, p));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), "alt");
         ASSERT_TRUE(s.Replace(next, p));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), "neu");
         EXPECT_EQ(s.FileSize(next), std::nullopt);
         ASSERT_TRUE(s.Replace(p, missing));
         EXPECT_EQ(s.ReadFrom(missing, 0, kAll), "neu");
         EXPECT_EQ(s.FileSize(p), std::nullopt);
       }},
      {"a truncate cuts a file and a flush keeps it; neither makes one",
       [](EventFileGround& g) {
         g.File("QsStat.sta", kStored);
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), missing = g.Path("fehlt.sta");
         ASSERT_TRUE(s.Truncate(p, 2));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), kStored.substr(0, 2));
         EXPECT_TRUE(s.Flush(p));
         EXPECT_TRUE(s.Truncate(p, 0));
         EXPECT_EQ(s.FileSize(p), 0u);
         EXPECT_FALSE(s.Truncate(missing, 0));
         EXPECT_FALSE(s.Flush(missing));
         EXPECT_EQ(s.FileSize(missing), std::nullopt);
       }},
      {"a file held without delete sharing is not settled, renamed or removed until let go",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), old = g.Path("~QsStat.sta.old");
         EXPECT_TRUE(s.Settled(p));
         EXPECT_FALSE(s.Settled(g.Path("fehlt.sta")));
         g.HoldForAppending("QsStat.sta", false);
         EXPECT_FALSE(s.Settled(p));
         EXPECT_FALSE(s.Rename(p, old));
         EXPECT_FALSE(s.Remove(p));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), "alt");
         g.Release();
         EXPECT_TRUE(s.Settled(p));
         EXPECT_TRUE(s.Rename(p, old));
       }},
      {"a file held with delete sharing is renamed, and the holder's appends follow it",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), old = g.Path("~QsStat.sta.old");
         g.HoldForAppending("QsStat.sta", true);
         ASSERT_TRUE(s.Rename(p, old));
         g.HolderAppends("neu");
         EXPECT_EQ(s.ReadFrom(old, 0, kAll), "altneu");
         EXPECT_EQ(s.FileSize(p), std::nullopt);
         EXPECT_FALSE(s.Settled(old)) << "the holder may write more";
         g.Release();
         EXPECT_TRUE(s.Settled(old));
       }},
      {"a file takes another's hidden attribute but not read-only; a read-only file is removed",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt");
         g.File("~QsStat.sta.kept", "neu");
         auto& s = g.Sys();
         constexpr std::uint32_t kReadOnly = 1, kHidden = 2;
         g.SetAttributes("QsStat.sta", kReadOnly | kHidden);
         s.TakeAttributes(g.Path("QsStat.sta"), g.Path("~QsStat.sta.kept"));
         EXPECT_EQ(g.Attributes("~QsStat.sta.kept"), kHidden);
         EXPECT_TRUE(s.Remove(g.Path("QsStat.sta")));
         EXPECT_EQ(s.FileSize(g.Path("QsStat.sta")), std::nullopt);
       }},
      {"a rename needs a free name; a removal of nothing is harmless",
       [](EventFileGround& g) {
         g.File("QsStat.sta", "alt");
         g.File("QsStat.sta.bak", "sicher");
         auto& s = g.Sys();
         const std::string p = g.Path("QsStat.sta"), bak = g.Path("QsStat.sta.bak");
         EXPECT_FALSE(s.Rename(bak, p));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), "alt");
         EXPECT_EQ(s.ReadFrom(bak, 0, kAll), "sicher");
         EXPECT_FALSE(s.Rename(g.Path("fehlt.sta"), g.Path("neu.sta")));
         EXPECT_TRUE(s.Remove(p));
         EXPECT_TRUE(s.Remove(p)) << "nothing there is gone as well";
         EXPECT_EQ(s.FileSize(p), std::nullopt);
         EXPECT_TRUE(s.Rename(bak, p));
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), "sicher");
       }},
      {"names outside the code page are kept as they are",
       [](EventFileGround& g) {
         const std::string folder = "M\u011b\u0159en\u00ed \u03a9";
         g.Folder(folder);
         g.File(folder + "\\QsStat.sta", kStored);
         auto& s = g.Sys();
         const std::string p = g.Path(folder + "\\QsStat.sta"),
                           other = g.Path(folder + "\\\u90e8\u54c1.sta");
         EXPECT_EQ(s.FileSize(p), kStored.size());
         EXPECT_EQ(s.ReadFrom(p, 0, kAll), kStored);
         ASSERT_TRUE(s.Rename(p, other));
         EXPECT_EQ(s.ReadFrom(other, 0, kAll), kStored);
         EXPECT_EQ(s.FileSize(p), std::nullopt);
       }},
  };
  return cases;
}

}  // namespace message_test
