// End-to-end test driver: starts a tool's real .exe under Wine, prepares its
// registry values and files, and finds, reads and drives its windows from
// this (another) process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// "/a/b" (a Linux path, as CMake passes them) becomes "Z:\a\b"; a Windows
// path is returned unchanged.
std::string WinPath(const std::string& path);

// Waits until cond() holds, polling; false when timeout_ms passed first.
bool WaitUntil(const std::function<bool()>& cond, int timeout_ms = 10000);

// ---- files ----------------------------------------------------------------
// Paths here are UTF-8, so that a test can make and read files whose names
// the ANSI code page cannot spell.

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& text);

// A fresh, empty folder for one test: <root>\<name>, emptied when it exists.
// Path() ends in a backslash.
class WorkDir {
 public:
  WorkDir(const std::string& root, const std::string& name);
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + rel; }

 private:
  std::string path_;
};

// Work folder named after the running GoogleTest case, below root.
WorkDir TestWorkDirIn(const std::string& root);

// Work folder named after the running GoogleTest case, below the test
// program's E2E_WORK_ROOT (in the build folder), else the temporary folder.
inline WorkDir TestWorkDir() {
#ifdef E2E_WORK_ROOT
  return TestWorkDirIn(E2E_WORK_ROOT);
#else
  return TestWorkDirIn("");
#endif
}

bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
bool MakeDirs(const std::string& path);    // every missing level
bool RemoveTree(const std::string& path);  // removes links, not what they lead to
// Relative paths of every file below dir (backslashes), sorted; links are
// not followed.
std::vector<std::string> ListFilesRecursive(const std::string& dir);

// The Linux path of a Windows path under Wine ("Z:\\a\\b" gives "/a/b"),
// as Wine translates it; empty where it cannot.
std::string LinuxPath(const std::string& path);
// Starts a Linux program (Wine starts Linux executables as well) with these
// arguments; false when it cannot be started. Wine tells neither its end
// nor its exit code: the caller waits for its effect. Stands in for what a
// Windows program cannot make under Wine, such as a symbolic link or a name
// that ends in a dot.
bool StartLinux(const std::string& program, const std::vector<std::string>& args);
// A Linux symbolic link at `link` that leads to `target`: a
// second spelling of a folder. True once it can be seen.
bool LinuxSymlink(const std::string& target, const std::string& link);

// ---- a server that misbehaves ---------------------------------------------

// A file server of the tests' own (tests/support/fuse/misbehaving_server.py):
// a FUSE mount of a backing folder that serves it as it is, until a test
// sets another mode: "stall" (the programs' calls wait, as calls to a server
// that stopped answering do), "gone" (every call fails, as on a dropped
// share), "refuse-replace" (a rename onto an existing name fails),
// "damage <glob>" (what is written to matching files is stored changed),
// "after <bytes> <mode>" (normal until a write would take what is written
// past that many bytes), "normal". It counts the bytes written to each file.
// Mounting needs root, /dev/fuse and Debian's fuse3 and python3-fusepy; a
// test that needs the server skips when it cannot be had, with Why().
class FuseServer {
 public:
  // Mounts <folder>\backing at <folder>\mount, its control and status
  // files beside them; waits until the mount can be seen.
  explicit FuseServer(const std::string& folder);
  // Stops the server: stalled calls go on, the mount goes (also while a
  // program still holds a file there), and the server ends.
  ~FuseServer();
  FuseServer(const FuseServer&) = delete;
  FuseServer& operator=(const FuseServer&) = delete;

  bool Mounted() const { return why_.empty(); }
  // Why the server could not be mounted.
  const std::string& Why() const { return why_; }
  // The mount, ending in a backslash, and paths in it.
  const std::string& Path() const { return mount_; }
  std::string operator/(const std::string& rel) const { return mount_ + rel; }
  // The folder it serves, which the tests may read while the server stalls.
  const std::string& Backing() const { return backing_; }

  // Sets the mode and waits until the server has read it; false when it
  // did not within 5 s.
  bool SetMode(const std::string& mode);
  // The mode in force ("after" gives way to its mode once it applies).
  std::string Mode() const;
  // How many calls wait now in mode "stall".
  int Waiting() const;
  // Bytes written to the files whose path below the mount (with '/')
  // begins with `prefix`, each counted by the name it was written under:
  // every write that has ended counts.
  uint64_t BytesWritten(const std::string& prefix = "");

 private:
  // The status file's lines, split at their tabs.
  std::vector<std::vector<std::string>> Status() const;
  // The second field of the status line that begins with `key`.
  std::string StatusField(const std::string& key) const;
  bool Listed() const;  // the mount is in the system's list of mounts
  // Writes the control file: the mode and a new question, and waits until
  // the status answers it.
  bool Ask(const std::string& mode);

  std::string backing_, mount_, linux_mount_, control_, status_, why_;
  std::string mode_ = "normal";
  int questions_ = 0;
};

// ---- DLLs beside a program -------------------------------------------------

// Look-alikes of DLLs that Windows looks for in a program's own folder before
// its system folder (mpr, msimg32, comctl32, uxtheme), built with the tests,
// put beside a program, with Wine told to take them in place of its own DLLs
// of those names for programs of that file name, as Windows would. Once
// loaded by any process, a look-alike leaves "<its name>.loaded" beside
// itself. Wine's override is a per-program one in its registry, kept while
// the object lives: Wine reads WINEDLLOVERRIDES from its Unix environment,
// which a program started from here gets from this process, not from the
// environment handed to it.
class PlantedDlls {
 public:
  explicit PlantedDlls(const std::string& exe);  // a path
  ~PlantedDlls();                                // the override goes, the files stay
  PlantedDlls(const PlantedDlls&) = delete;
  PlantedDlls& operator=(const PlantedDlls&) = delete;

  // Whether every look-alike lies beside the program, with Wine's override.
  bool Planted() const { return planted_; }
  // The file names of the look-alikes that a process has loaded.
  std::vector<std::string> Loaded() const;

 private:
  std::string folder_;
  std::string key_;
  bool planted_ = false;
};

// ---- registry -------------------------------------------------------------

bool RegSetString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value, DWORD type = REG_SZ);
bool RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
bool RegSetBinary(HKEY root, const std::string& key, const std::string& name,
                  const std::string& bytes, DWORD type);
bool RegRemoveTree(HKEY root, const std::string& key);  // no error when missing
std::optional<std::string> RegGetString(HKEY root, const std::string& key, const std::string& name);

// Windows version that Wine reports to one program ("win7", "win8", "win10",
// "winxp", ...), by its file name; an empty version removes the setting.
bool SetWindowsVersion(const std::string& exe_name, const std::string& version);

// ---- processes ------------------------------------------------------------

class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  Program(Program&& other) noexcept;
  Program& operator=(Program&& other) noexcept;
  ~Program();  // ends a program still running

  // Starts exe (a Linux or Windows path). env: variables to set (an empty
  // value removes one) on top of this process's environment. cwd: the
  // working folder, default the exe's folder. Explicit command line
  // "cmdline" when non-empty, else the quoted exe path.
  static Program Start(const std::string& exe, const std::map<std::string, std::string>& env = {},
                       const std::string& cwd = "", const std::string& cmdline = "");

  // A program that runs already, started some other way, by its process id.
  static Program Adopt(DWORD pid);

  bool Started() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  bool Running() const;
  // The exit code once ended, or nothing when still running after timeout_ms.
  std::optional<DWORD> Wait(int timeout_ms = 10000);
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// ---- windows --------------------------------------------------------------

std::vector<HWND> TopWindows(DWORD pid, bool visible_only = true);
// First top-level window of pid whose class and caption match (empty = any).
HWND FindTopWindow(DWORD pid, const std::string& class_name = "", const std::string& caption = "",
                   bool visible_only = true);
HWND WaitForTopWindow(DWORD pid, const std::string& class_name = "",
                      const std::string& caption = "", int timeout_ms = 10000);

// Descendant windows in creation (z) order, depth first.
std::vector<HWND> Descendants(HWND parent);
HWND FindChild(HWND parent, const std::string& class_name, const std::string& text);

std::string ClassOf(HWND hwnd);
std::string Text(HWND hwnd);  // WM_GETTEXT, works across processes
// The text as UTF-8, read as the window holds it (WM_GETTEXT in UTF-16).
std::string UnicodeText(HWND hwnd);
bool Visible(HWND hwnd);
RECT ClientRect(HWND hwnd);
RECT WindowRectOf(HWND hwnd);
// Position of a child relative to its parent's client area.
RECT RectInParent(HWND child);

void Click(HWND button);                   // posts BM_CLICK
void PostTimer(HWND window, UINT_PTR id);  // runs a timer tick now
void Close(HWND window);                   // posts WM_CLOSE
// Asks the window, as Windows does at a log-off (ENDSESSION_LOGOFF) or an
// installer does (ENDSESSION_CLOSEAPP), whether its program may end, then
// tells it the session ends; true when it agreed and both messages were
// answered within 5 s.
bool EndSession(HWND window, LPARAM why);
void PressKey(HWND window, WPARAM vk);  // posts WM_KEYDOWN / WM_KEYUP

// A message box (#32770) of pid with this caption: waits for it, returns its
// text, then presses the button with id button_id.
std::optional<std::string> AnswerMessageBox(DWORD pid, const std::string& caption,
                                            int button_id = IDOK, int timeout_ms = 10000);

}  // namespace e2e
