// Ferrolink's watch cycle against the bare limits, on trees it builds itself:
//   walk      a cycle with nothing to copy over 20000 read-only files in 1000
//             folders, against one FindFirstFileA listing per folder;
//   transfer  a cycle moving 5000 small files in delete mode, and one copying
//             them in copy mode, and the same for one large file, each
//             against the same bare work (copy to a temporary name, flush,
//             read back unbuffered and compare with the source read again,
//             rename, delete or un-mark), beside that work unchecked and a
//             plain CopyFileA + DeleteFileA loop, with xcopy and robocopy as
//             peers;
//   (each cycle keeps its journal, beside settings in the work folder,
//   written on a thread of its own as in the program)
//   memory    the bytes the searcher keeps per record, counted by the global
//             allocator, and a walk over a million listed files.
// Usage: ferrolink_bench [work folder]  (default: %TEMP%\ferrolink-bench)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "FakeView.h"
#include "Main.h"
#include "Win32System.h"

using namespace bench;

// ---- a counting allocator: live bytes and blocks asked for by the program ----
namespace {
size_t g_live_bytes = 0;
size_t g_live_blocks = 0;
// Keeps the heap's alignment: 8 bytes in a 32-bit program, 16 in a 64-bit one.
constexpr size_t kHeader = 2 * sizeof(void*);
}  // namespace

void* operator new(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  g_live_bytes += size;
  ++g_live_blocks;
  return static_cast<char*>(block) + kHeader;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - kHeader;
  g_live_bytes -= *reinterpret_cast<size_t*>(block);
  --g_live_blocks;
  std::free(block);
}
void operator delete(void* p, size_t) noexcept {
  operator delete(p);
}

namespace {

using BenchSystem = ferrolink::Win32System;

// Names whose full path is the path itself, for the virtual tree below.
class VirtualNames : public ferrolink::Win32Names {
 public:
  std::string FullPath(const std::string& path) override { return path; }
};

// A listing of a virtual tree of `folders` folders of `files` files each
// below V:\, for the million-file walk without a million files on disk.
class VirtualTree : public ferrolink::Win32Folders {
 public:
  VirtualTree(int folders, int files) : folders_(folders), files_(files) {}
  // Listings are handed in the long form ("\\?\V:\*.*" for the top).
  std::unique_ptr<ferrolink::DirectoryListing> DoListFolder(const std::string& pattern) override {
    static constexpr char kRoot[] = "\\\\?\\V:\\";
    if (pattern.rfind(kRoot, 0) != 0) return Win32Folders::DoListFolder(pattern);
    const bool top = pattern.size() <= sizeof kRoot - 1 + 3;
    return std::make_unique<Listing>(top ? folders_ : 0, top ? 0 : files_);
  }

 private:
  class Listing : public ferrolink::DirectoryListing {
   public:
    Listing(int folders, int files) : folders_(folders), files_(files) {}
    bool Next(ferrolink::ListEntry& e) override {
      char name[32];
      if (pos_ < folders_) {
        std::snprintf(name, sizeof name, "d%04d", pos_);
        e.Attributes = ferrolink::kAttrDirectory;
      } else if (pos_ < folders_ + files_) {
        std::snprintf(name, sizeof name, "M%06d.dfq", pos_);
        e.Attributes = ferrolink::kAttrArchive | ferrolink::kAttrReadOnly;
      } else {
        return false;
      }
      ++pos_;
      e.Name = name;
      e.Size = 1234;
      return true;
    }

   private:
    int folders_, files_, pos_ = 0;
  };
  int folders_, files_;
};

bool WriteSmallFile(const std::string& path, size_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::string bytes(size, 'm');
  DWORD written = 0;
  const bool ok =
      WriteFile(h, bytes.data(), static_cast<DWORD>(size), &written, nullptr) && written == size;
  // A large source goes to the disk before it is transferred: otherwise its
  // write-back falls into the transfer's flush, as much of it as the system
  // has not yet written by then.
  if (size >= (1u << 20)) FlushFileBuffers(h);
  CloseHandle(h);
  return ok;
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = d.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// `folders` folders d0000... below `root`, `files` files of `size` bytes in
// each; their paths relative to `root`.
std::vector<std::string> BuildTree(const std::string& root, int folders, int files, size_t size,
                                   bool read_only) {
  std::vector<std::string> paths;
  CreateDirectoryA(root.c_str(), nullptr);
  char name[64];
  for (int d = 0; d < folders; ++d) {
    std::snprintf(name, sizeof name, "d%04d", d);
    const std::string folder = name;
    CreateDirectoryA((root + "\\" + folder).c_str(), nullptr);
    for (int f = 0; f < files; ++f) {
      std::snprintf(name, sizeof name, "\\M%06d.dfq", d * files + f);
      const std::string rel = folder + name;
      const std::string path = root + "\\" + rel;
      if (!WriteSmallFile(path, size)) {
        std::printf("cannot write %s\n", path.c_str());
        std::exit(1);
      }
      if (read_only) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
      paths.push_back(rel);
    }
  }
  return paths;
}

// The bare walk: one listing per folder, descending into every subfolder.
size_t BareWalk(const std::string& dir) {
  size_t files = 0;
  std::vector<std::string> subdirs;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ++files;
    } else if (d.cFileName[0] != '.') {
      subdirs.push_back(d.cFileName);
    }
  } while (FindNextFileA(h, &d));
  FindClose(h);
  for (const std::string& s : subdirs) files += BareWalk(dir + s + "\\");
  return files;
}

// Runs a command line to its end, its output discarded; seconds taken, or
// a negative value when it cannot be started.
double RunPeer(const std::string& command_line, DWORD& exit_code) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nul;
  si.hStdOutput = nul;
  si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  std::string line = command_line;
  const double start = Now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi)) {
    CloseHandle(nul);
    return -1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double seconds = Now() - start;
  GetExitCodeProcess(pi.hProcess, &exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(nul);
  return seconds;
}

size_t CountFiles(const std::string& dir) {
  return BareWalk(dir + "\\");
}

// A tree to transfer: `folders` folders of `files` files of `size` bytes,
// in `rounds` rounds. The disk of a virtual machine can take twice as long
// for a while: each round sets the cycle beside bare work done right before
// or after it (in turns), and the ratio is the median of the rounds'. A
// round of one large file lasts a moment and swings the most: it has more.
struct Shape {
  int folders, files;
  size_t size;
  int rounds;
  const char* what;
};

// Medians of the rounds, in seconds: the plain CopyFileA + DeleteFileA
// loop, the same work as Ferrolink's without and with its check, and
// Ferrolink's cycle; the median of each round's ratio of the cycle to the
// checked bare work; and how many files the cycle delivered.
struct TransferFigures {
  double plain = 0, unchecked = 0, checked = 0, ours = 0, ratio = 0;
  size_t moved = 0;
};

enum class Bare { Plain, Unchecked, Checked };

// Blocks of a megabyte for unbuffered reads, aligned to the sector size.
struct CheckBuffers {
  ferrolink::Block ours{1 << 20}, theirs{1 << 20};
};

// The check as Ferrolink makes it: the copy read back unbuffered, past the
// cache, and the source read a second time, compared a chunk at a time.
bool ReadsBackAsSource(const std::string& from, const std::string& copy, CheckBuffers& b) {
  HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  HANDLE back = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool same = in != INVALID_HANDLE_VALUE && back != INVALID_HANDLE_VALUE;
  for (DWORD got = 1 << 20, read = 0; same && got == 1 << 20;) {
    same = ReadFile(in, b.ours.bytes, 1 << 20, &got, nullptr) &&
           ReadFile(back, b.theirs.bytes, 1 << 20, &read, nullptr) && got == read &&
           std::memcmp(b.ours.bytes, b.theirs.bytes, got) == 0;
  }
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (back != INVALID_HANDLE_VALUE) CloseHandle(back);
  return same;
}

// The bare work on every file of `paths`, in seconds.
double BareTransfer(const std::vector<std::string>& paths, const std::string& src,
                    const std::string& dst, Bare kind, bool delete_mode, CheckBuffers& buffers) {
  const double start = Now();
  for (const std::string& rel : paths) {
    const std::string from = src + "\\" + rel, to = dst + "\\" + rel;
    if (kind == Bare::Plain) {
      if (CopyFileA(from.c_str(), to.c_str(), FALSE)) DeleteFileA(from.c_str());
      continue;
    }
    const std::string temp = to + ".~ft";
    if (!CopyFileA(from.c_str(), temp.c_str(), FALSE)) continue;
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool flushed = h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!flushed || (kind == Bare::Checked && !ReadsBackAsSource(from, temp, buffers)) ||
        !MoveFileExA(temp.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      continue;
    }
    if (delete_mode) {
      DeleteFileA(from.c_str());
    } else {
      SetFileAttributesA(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  }
  return Now() - start;
}

// Ferrolink's cycle on a tree of `shape`, in seconds.
double CycleTransfer(ferrolink::TMainForm& form, const Shape& shape, bool delete_mode,
                     const std::string& src, const std::string& dst, size_t& moved) {
  RemoveTree(src);
  RemoveTree(dst);
  BuildTree(src, shape.folders, shape.files, shape.size, false);
  CreateDirectoryA(dst.c_str(), nullptr);
  form.SourceDir = src + "\\";
  form.TargetDir = dst + "\\";
  form.SetDeleteChecked(delete_mode);
  const int count_before = form.CopyCount;
  const double t = Now();
  form.TimerFindTimer();
  const double spent = Now() - t;
  moved = static_cast<size_t>(form.CopyCount - count_before);
  if (CountFiles(dst) != moved || (delete_mode && CountFiles(src) != 0)) {
    std::printf("transfer incomplete: %zu left, %zu arrived\n", CountFiles(src), CountFiles(dst));
  }
  return spent;
}

// Ferrolink's cycle on a tree of `shape`, beside the bare work on the same
// tree, in paired rounds.
TransferFigures MeasureTransfer(ferrolink::TMainForm& form, const Shape& shape, bool delete_mode,
                                const std::string& src, const std::string& dst) {
  std::vector<double> ours, bare[3], ratios;
  CheckBuffers buffers;
  TransferFigures figures;
  for (int round = 0; round < shape.rounds; ++round) {
    if (round % 2 == 0)
      ours.push_back(CycleTransfer(form, shape, delete_mode, src, dst, figures.moved));
    for (const Bare kind : {Bare::Plain, Bare::Unchecked, Bare::Checked}) {
      RemoveTree(src);
      RemoveTree(dst);
      const std::vector<std::string> paths =
          BuildTree(src, shape.folders, shape.files, shape.size, false);
      CreateDirectoryA(dst.c_str(), nullptr);
      for (int d = 0; d < shape.folders; ++d) {
        char name[16];
        std::snprintf(name, sizeof name, "\\d%04d", d);
        CreateDirectoryA((dst + name).c_str(), nullptr);
      }
      bare[static_cast<int>(kind)].push_back(
          BareTransfer(paths, src, dst, kind, delete_mode, buffers));
    }
    if (round % 2 != 0)
      ours.push_back(CycleTransfer(form, shape, delete_mode, src, dst, figures.moved));
    ratios.push_back(ours.back() / bare[static_cast<int>(Bare::Checked)].back());
  }
  figures.plain = Median(bare[0]);
  figures.unchecked = Median(bare[1]);
  figures.checked = Median(bare[2]);
  figures.ours = Median(ours);
  figures.ratio = Median(ratios);
  return figures;
}

// The bytes a kept record may cost besides its name: 96 in the shipped 32-bit
// build (its compiler asserts the record's size too); the 64-bit build's
// record holds six pointer-sized words (the name's text and length, the
// folder's two, the attachment's two), 4 bytes wider each.
#ifdef _WIN64
constexpr int kRecordLimit = 96 + 6 * 4;
#else
constexpr int kRecordLimit = 96;
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string work = WorkFolder(argc, argv, "ferrolink-bench");
  RemoveTree(work);
  CreateDirectoryA(work.c_str(), nullptr);
  Heading("Ferrolink", work);

  // Settings in the work folder, so that every cycle keeps its journal
  // (ferrolink.log beside them) as on a measuring PC.
  const std::string settings = work + "\\settings";
  CreateDirectoryA(settings.c_str(), nullptr);
  HKEY key = nullptr;
  const std::string settings_file = settings + "\\k9q2.ini";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ferrolink::kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS ||
      RegSetValueExA(key, ferrolink::kSettingsValueName, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(settings_file.c_str()),
                     static_cast<DWORD>(settings_file.size() + 1)) != ERROR_SUCCESS) {
    std::printf("cannot write the settings key\n");
    return 1;
  }
  RegCloseKey(key);

  BenchSystem sys;
  ferrolink::test::FakeView view;  // shows nothing, keeps the errors
  ferrolink::TMainForm form(sys, view);
  // As in the program: the journal is written on a thread of its own,
  // beside the cycle.
  form.StartWork();
  form.FormCreate();

  // ---- walk: nothing to copy over 20000 read-only files in 1000 folders ----
  const std::string walk_src = work + "\\walk";
  BuildTree(walk_src, 1000, 20, 16, true);
  form.SourceDir = walk_src + "\\";
  form.TargetDir = work + "\\walk-target\\";
  CreateDirectoryA((work + "\\walk-target").c_str(), nullptr);
  BareWalk(form.SourceDir);  // warm the caches
  form.TimerFindTimer();
  std::vector<double> cycle_times, bare_times;
  size_t bare_files = 0;
  for (int round = 0; round < 7; ++round) {
    double t = Now();
    form.TimerFindTimer();
    cycle_times.push_back(Now() - t);
    t = Now();
    bare_files = BareWalk(form.SourceDir);
    bare_times.push_back(Now() - t);
  }
  const size_t records = form.FileSearcher->Items.size();
  const double cycle_walk = Median(cycle_times), bare_walk = Median(bare_times);
  std::printf("walk: %zu files (%zu reported), median of 7 rounds\n", bare_files, records);
  std::printf("  bare walk, one listing per folder  %8.3f s\n", bare_walk);
  std::printf("  Ferrolink cycle, nothing to copy   %8.3f s  ratio %.3f\n", cycle_walk,
              cycle_walk / bare_walk);

  // ---- memory: the records the searcher keeps ----
  form.FileSearcher->ClearItems();
  size_t before = g_live_bytes, blocks_before = g_live_blocks;
  form.TimerFindTimer();
  const size_t kept = form.FileSearcher->Items.size();
  size_t name_bytes = 0;
  for (const ferrolink::TFoundFile& f : form.FileSearcher->Items) name_bytes += f.Name.size();
  const double per_record = static_cast<double>(g_live_bytes - before) / kept;
  const double blocks_per_record = static_cast<double>(g_live_blocks - blocks_before) / kept;
  const double average_name = static_cast<double>(name_bytes) / kept;
  const double memory_limit = kRecordLimit + average_name;
  std::printf("\nmemory: %zu records kept, names %.1f characters on average\n", kept, average_name);
  std::printf("  bytes per record %.1f (%.3f heap blocks), limit %d + name = %.1f  ratio %.3f\n",
              per_record, blocks_per_record, kRecordLimit, memory_limit, per_record / memory_limit);
  RemoveTree(walk_src);

  {
    VirtualTree virtual_tree(1000, 1000);
    VirtualNames virtual_names;
    ferrolink::test::FakeView big_view;
    ferrolink::TMainForm big({sys.settings, virtual_names, virtual_tree, sys.transfer, sys.journal},
                             big_view);
    big.FormCreate();
    big.SourceDir = "V:\\";
    big.TargetDir = work + "\\walk-target\\";
    before = g_live_bytes;
    const double t = Now();
    big.TimerFindTimer();
    const double seconds = Now() - t;
    std::printf(
        "  a million listed files: %zu records, %.1f MB kept (%.1f bytes each), %.2f s,"
        " process peak %.1f MB\n",
        big.FileSearcher->Items.size(), (g_live_bytes - before) / 1048576.0,
        static_cast<double>(g_live_bytes - before) / big.FileSearcher->Items.size(), seconds,
        PeakMegabytes());
  }

  // ---- transfer: 5000 small files and one large file, in each mode ----
  const std::string src = work + "\\src", dst = work + "\\dst";
  const std::vector<Shape> shapes = {{50, 100, 2048, 5, "5000 small files of 2048 bytes"},
                                     {1, 1, 256u << 20, 11, "one file of 256 MB"}};
  std::vector<double> ratios;
  double plain_t = 0, ours_delete_t = 0;
  size_t moved = 0;
  for (const Shape& shape : shapes) {
    for (const bool delete_mode : {true, false}) {
      const TransferFigures f = MeasureTransfer(form, shape, delete_mode, src, dst);
      std::printf("\ntransfer: %s, %s mode, medians of %d rounds\n", shape.what,
                  delete_mode ? "delete" : "copy", shape.rounds);
      if (delete_mode) std::printf("  bare CopyFileA + DeleteFileA loop  %8.3f s\n", f.plain);
      std::printf(
          "  bare copy, flush, rename, %-8s %8.3f s  ratio %.3f to the plain loop (the cost of a"
          " whole-file transfer)\n",
          delete_mode ? "delete" : "un-mark", f.unchecked, f.unchecked / f.plain);
      std::printf(
          "  the same, read back and compared  %8.3f s  ratio %.3f to it (the cost of the"
          " check)\n",
          f.checked, f.checked / f.unchecked);
      std::printf(
          "  Ferrolink cycle                    %8.3f s  ratio %.3f to the same bare work (the"
          " rounds' median), %.3f to the unchecked one\n",
          f.ours, f.ratio, f.ours / f.unchecked);
      ratios.push_back(f.ratio);
      if (&shape == &shapes.front() && delete_mode) {
        plain_t = f.plain;
        ours_delete_t = f.ours;
        moved = f.moved;
      }
    }
  }
  // The peers copy the same tree (robocopy moves it, like delete mode).
  DWORD xcopy_code = 0, robo_code = 0;
  RemoveTree(src);
  RemoveTree(dst);
  BuildTree(src, shapes[0].folders, shapes[0].files, shapes[0].size, false);
  const double xcopy_t =
      RunPeer("xcopy.exe \"" + src + "\" \"" + dst + "\\\" /E /I /Q /Y", xcopy_code);
  const size_t xcopy_files = CountFiles(dst);
  RemoveTree(dst);
  const double robo_t = RunPeer("robocopy.exe \"" + src + "\" \"" + dst + "\" /E /MOV", robo_code);
  const size_t robo_files = CountFiles(dst);

  std::printf("\npeers, on the same tree, against the plain loop:\n");
  const double ours_t = ours_delete_t;
  // A peer counts only when it did the whole job (robocopy: exit codes
  // below 8 mean success).
  const bool xcopy_ok = xcopy_t >= 0 && xcopy_code == 0 && xcopy_files == moved;
  const bool robo_ok = robo_t >= 0 && robo_code < 8 && robo_files == moved;
  if (xcopy_ok) {
    std::printf("  xcopy /E (copy only)               %8.3f s  ratio %.3f; Ferrolink %.3f of it\n",
                xcopy_t, xcopy_t / plain_t, ours_t / xcopy_t);
  } else {
    std::printf("  xcopy /E: no figure (exit code %lu, %zu files copied)\n", xcopy_code,
                xcopy_files);
  }
  if (robo_ok) {
    std::printf("  robocopy /E /MOV                   %8.3f s  ratio %.3f; Ferrolink %.3f of it\n",
                robo_t, robo_t / plain_t, ours_t / robo_t);
  } else {
    std::printf("  robocopy /E /MOV: no figure (exit code %lu, %zu files moved)\n", robo_code,
                robo_files);
  }
  std::printf("\n");

  Verdict("walk", cycle_walk / bare_walk, 1.15);
  Verdict("transfer of small files, delete mode", ratios[0], 1.15);
  Verdict("transfer of small files, copy mode", ratios[1], 1.15);
  Verdict("transfer of a large file, delete mode", ratios[2], 1.15);
  Verdict("transfer of a large file, copy mode", ratios[3], 1.15);
  Verdict("memory", per_record / memory_limit, 1.0);
  for (const std::string& error : view.errors) std::printf("error in a cycle: %s\n", error.c_str());
  form.EndWork(5000);
  HANDLE journal = CreateFileA((settings + "\\ferrolink.log").c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER journal_size{};
  if (journal != INVALID_HANDLE_VALUE) {
    GetFileSizeEx(journal, &journal_size);
    CloseHandle(journal);
  }
  std::printf("journal: %.1f KB written, on its own thread beside the cycles\n",
              journal_size.QuadPart / 1024.0);
  RegDeleteKeyA(HKEY_CURRENT_USER, ferrolink::kSettingsKey);
  RemoveTree(work);
  return view.errors.empty() ? 0 : 1;
}
