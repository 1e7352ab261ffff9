#include "Driver.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace e2e {

std::string WinPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string out = "Z:" + path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string LinuxPath(const std::string& path) {
  // Wine's own translation, for any of its drives.
  using UnixName = char*(CDECL*)(const WCHAR*);
  const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!unix_name) return "";
  char* name = unix_name(Wide(path).c_str());
  if (!name) return "";
  std::string out = name;
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

bool StartLinux(const std::string& program, const std::vector<std::string>& args) {
  std::string line = "\"" + WinPath(program) + "\"";
  for (const std::string& arg : args) line += " \"" + arg + "\"";
  std::wstring wide_line = Wide(line);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, wide_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool LinuxSymlink(const std::string& target, const std::string& link) {
  return StartLinux("/bin/ln", {"-sfn", LinuxPath(target), LinuxPath(link)}) && WaitUntil([&] {
           return GetFileAttributesW(Wide(link).c_str()) != INVALID_FILE_ATTRIBUTES;
         });
}

bool WaitUntil(const std::function<bool()>& cond, int timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeout_ms) return false;
    Sleep(20);
  }
}

// ---- files ----------------------------------------------------------------

static std::string WithSlash(std::string p) {
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

WorkDir::WorkDir(const std::string& root, const std::string& name) {
  path_ = WithSlash(WithSlash(WinPath(root)) + name);
  RemoveTree(path_);
  MakeDirs(path_);
}

WorkDir TestWorkDirIn(const std::string& root) {
  std::string base = root;
  if (base.empty()) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    base = tmp;
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "work";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':') c = '_';
  }
  return WorkDir(base, name);
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() ||
                  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  // Sharing everything: the reading test never makes a writer, a rename or
  // a delete of the program under test wait.
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirs(const std::string& path) {
  std::string p = WithSlash(path);
  for (size_t i = 3; i < p.size(); ++i) {
    if (p[i] != '\\') continue;
    const std::string level = p.substr(0, i);
    if (!DirExists(level) && !CreateDirectoryW(Wide(level).c_str(), nullptr)) return false;
  }
  return true;
}

// Calls `each` with the name and attributes of every entry of a folder but
// "." and "..".
static void ForEachEntry(const std::string& dir,
                         const std::function<void(const std::string&, DWORD)>& each) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Wide(dir + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8(fd.cFileName);
    if (name != "." && name != "..") each(name, fd.dwFileAttributes);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

bool RemoveTree(const std::string& path) {
  const std::string dir = WithSlash(path);
  ForEachEntry(dir, [&](const std::string& name, DWORD attributes) {
    const std::wstring full = Wide(dir + name);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link goes itself; what it leads to stays (it may lead back here).
      if (!RemoveDirectoryW(full.c_str())) DeleteFileW(full.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(dir + name);
    } else {
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(full.c_str());
    }
  });
  return RemoveDirectoryW(Wide(dir).c_str()) != 0 || !DirExists(dir);
}

static void ListInto(const std::string& dir, const std::string& rel,
                     std::vector<std::string>& out) {
  ForEachEntry(dir, [&](const std::string& name, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return;  // links are not followed
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListInto(dir + name + "\\", rel + name + "\\", out);
    } else {
      out.push_back(rel + name);
    }
  });
}

std::vector<std::string> ListFilesRecursive(const std::string& dir) {
  std::vector<std::string> out;
  ListInto(WithSlash(dir), "", out);
  std::sort(out.begin(), out.end());
  return out;
}

// ---- a server that misbehaves ---------------------------------------------

static std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t end; (end = text.find(separator, at)) != std::string::npos; at = end + 1) {
    parts.push_back(text.substr(at, end - at));
  }
  parts.push_back(text.substr(at));
  return parts;
}

// Writes a small file in one step: a reader sees the old or the new content.
static bool ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  return WriteFileBytes(path + ".new", bytes) &&
         MoveFileExW(Wide(path + ".new").c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING);
}

FuseServer::FuseServer(const std::string& folder)
    : backing_(WithSlash(folder) + "backing\\"),
      mount_(WithSlash(folder) + "mount\\"),
      control_(WithSlash(folder) + "control"),
      status_(WithSlash(folder) + "status") {
  DeleteFileW(Wide(status_).c_str());
  if (!MakeDirs(backing_) || !ReplaceFileBytes(control_, "normal\n")) {
    why_ = "its folders cannot be made in " + folder;
    return;
  }
  // The mount point is made by the server, which first takes away a mount
  // that a run cut short left there.
  std::string top = WithSlash(folder);
  top.pop_back();
  linux_mount_ = LinuxPath(top) + "/mount";
  if (!StartLinux("/usr/bin/python3", {E2E_FUSE_SERVER, LinuxPath(backing_), linux_mount_,
                                       LinuxPath(control_), LinuxPath(status_)})) {
    why_ = "/usr/bin/python3 cannot be started";
    return;
  }
  if (!WaitUntil([&] { return !StatusField("mode").empty() || !StatusField("error").empty(); },
                 20000)) {
    why_ = "the server did not start (its errors are in the test's output)";
  } else if (!StatusField("error").empty()) {
    why_ = StatusField("error");
  } else if (!WaitUntil([&] { return Listed(); }, 5000)) {
    why_ = "the mount did not appear";
  }
}

FuseServer::~FuseServer() {
  const std::string pid = StatusField("pid");
  if (pid.empty()) return;
  ReplaceFileBytes(control_, "stop\n");
  if (WaitUntil([&] { return !Listed(); }, 10000)) return;
  // A server that does not answer any more is ended, and its mount taken
  // away all the same.
  StartLinux("/bin/kill", {"-KILL", pid});
  StartLinux("/bin/fusermount3", {"-u", "-z", linux_mount_});
  WaitUntil([&] { return !Listed(); }, 5000);
}

bool FuseServer::Ask(const std::string& mode) {
  const std::string question = std::to_string(++questions_);
  return ReplaceFileBytes(control_, mode + "\n" + question + "\n") &&
         WaitUntil([&] { return StatusField("answer") == question; }, 5000);
}

bool FuseServer::SetMode(const std::string& mode) {
  mode_ = mode;
  return Ask(mode) && StatusField("control") == mode;
}

std::string FuseServer::Mode() const {
  return StatusField("mode");
}

int FuseServer::Waiting() const {
  return std::atoi(StatusField("waiting").c_str());
}

uint64_t FuseServer::BytesWritten(const std::string& prefix) {
  Ask(mode_);
  uint64_t bytes = 0;
  for (const std::vector<std::string>& line : Status()) {
    if (line.size() == 3 && line[0] == "written" && line[2].rfind(prefix, 0) == 0) {
      bytes += std::strtoull(line[1].c_str(), nullptr, 10);
    }
  }
  return bytes;
}

std::vector<std::vector<std::string>> FuseServer::Status() const {
  std::vector<std::vector<std::string>> lines;
  for (const std::string& line : SplitAt(ReadFileBytes(status_).value_or(""), '\n')) {
    if (!line.empty()) lines.push_back(SplitAt(line, '\t'));
  }
  return lines;
}

std::string FuseServer::StatusField(const std::string& key) const {
  for (const std::vector<std::string>& line : Status()) {
    if (line.size() >= 2 && line[0] == key) return line[1];
  }
  return "";
}

bool FuseServer::Listed() const {
  // The second field of each line of the list, with every link followed
  // (the server names the mount so), and blanks, tabs and backslashes
  // escaped in octal.
  std::string escaped;
  for (const char c : StatusField("mount")) {
    escaped += c == ' ' ? "\\040" : c == '\t' ? "\\011" : c == '\\' ? "\\134" : std::string(1, c);
  }
  for (const std::string& line : SplitAt(ReadFileBytes("Z:\\proc\\mounts").value_or(""), '\n')) {
    const std::vector<std::string> fields = SplitAt(line, ' ');
    if (fields.size() > 1 && fields[1] == escaped) return true;
  }
  return false;
}

// ---- DLLs beside a program -------------------------------------------------

// The build's folder of look-alikes, and their file names.
static std::string LookAlikeDir() {
  return WithSlash(WinPath(E2E_LOOKALIKE_DIR));
}
static std::vector<std::string> LookAlikeNames() {
  std::vector<std::string> names;
  ForEachEntry(LookAlikeDir(), [&](const std::string& name, DWORD) { names.push_back(name); });
  return names;
}

PlantedDlls::PlantedDlls(const std::string& exe) {
  const std::string path = WinPath(exe);
  const std::size_t slash = path.find_last_of('\\');
  folder_ = path.substr(0, slash + 1);
  key_ = "Software\\Wine\\AppDefaults\\" + path.substr(slash + 1) + "\\DllOverrides";
  const std::vector<std::string> names = LookAlikeNames();
  planted_ = !names.empty();
  for (const std::string& name : names) {
    planted_ =
        planted_ &&
        CopyFileW(Wide(LookAlikeDir() + name).c_str(), Wide(folder_ + name).c_str(), FALSE) &&
        RegSetString(HKEY_CURRENT_USER, key_, name.substr(0, name.find_last_of('.')),
                     "native,builtin");
  }
}

PlantedDlls::~PlantedDlls() {
  RegRemoveTree(HKEY_CURRENT_USER, key_);
}

std::vector<std::string> PlantedDlls::Loaded() const {
  std::vector<std::string> loaded;
  for (const std::string& name : LookAlikeNames()) {
    if (FileExists(folder_ + name + ".loaded")) loaded.push_back(name);
  }
  return loaded;
}

// ---- registry -------------------------------------------------------------

static bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                     const void* data, DWORD size) {
  HKEY h;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG rc = RegSetValueExA(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

bool RegSetString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value, DWORD type) {
  return SetValue(root, key, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
  return SetValue(root, key, name, REG_DWORD, &value, sizeof value);
}

bool RegSetBinary(HKEY root, const std::string& key, const std::string& name,
                  const std::string& bytes, DWORD type) {
  return SetValue(root, key, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool RegRemoveTree(HKEY root, const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return true;
  char name[512];
  for (;;) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    if (!RegRemoveTree(h, name)) break;
  }
  RegCloseKey(h);
  return RegDeleteKeyA(root, key.c_str()) == ERROR_SUCCESS;
}

std::optional<std::string> RegGetString(HKEY root, const std::string& key,
                                        const std::string& name) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
  char buf[4096];
  DWORD size = sizeof buf - 1, type = 0;
  const LONG rc =
      RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  buf[size] = 0;
  return std::string(buf, strnlen(buf, size));
}

bool SetWindowsVersion(const std::string& exe_name, const std::string& version) {
  const std::string key = "Software\\Wine\\AppDefaults\\" + exe_name;
  if (version.empty()) return RegRemoveTree(HKEY_CURRENT_USER, key);
  return RegSetString(HKEY_CURRENT_USER, key, "Version", version);
}

// ---- processes ------------------------------------------------------------

Program::Program(Program&& other) noexcept : process_(other.process_), pid_(other.pid_) {
  other.process_ = nullptr;
  other.pid_ = 0;
}

Program& Program::operator=(Program&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = other.process_;
    pid_ = other.pid_;
    other.process_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

Program::~Program() {
  Kill();
}

static std::string BuildEnvironment(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string, bool (*)(const std::string&, const std::string&)> vars(
      [](const std::string& a, const std::string& b) {
        return _stricmp(a.c_str(), b.c_str()) < 0;
      });
  char* block = GetEnvironmentStringsA();
  for (const char* p = block; *p; p += strlen(p) + 1) {
    const char* eq = strchr(p + 1, '=');  // names like "=C:" start with '='
    if (!eq) continue;
    vars[std::string(p, eq)] = eq + 1;
  }
  FreeEnvironmentStringsA(block);
  for (const auto& [k, v] : overrides) {
    if (v.empty()) {
      vars.erase(k);
    } else {
      vars[k] = v;
    }
  }
  std::string out;
  for (const auto& [k, v] : vars) out += k + "=" + v + '\0';
  out += '\0';
  return out;
}

Program Program::Start(const std::string& exe, const std::map<std::string, std::string>& env,
                       const std::string& cwd, const std::string& cmdline) {
  Program p;
  const std::string path = WinPath(exe);
  std::string dir = cwd.empty() ? path.substr(0, path.find_last_of('\\') + 1) : WinPath(cwd);
  std::string line = cmdline.empty() ? "\"" + path + "\"" : cmdline;
  std::string envblock = env.empty() ? std::string() : BuildEnvironment(env);
  // Paths and the command line in UTF-8; the environment block stays ANSI.
  std::wstring wide_line = Wide(line);
  const std::wstring wide_dir = Wide(dir);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(Wide(path).c_str(), wide_line.data(), nullptr, nullptr, FALSE, 0,
                      env.empty() ? nullptr : envblock.data(),
                      dir.empty() ? nullptr : wide_dir.c_str(), &si, &pi)) {
    ADD_FAILURE() << "CreateProcess failed for " << path << ": " << GetLastError();
    return p;
  }
  CloseHandle(pi.hThread);
  p.process_ = pi.hProcess;
  p.pid_ = pi.dwProcessId;
  return p;
}

Program Program::Adopt(DWORD pid) {
  Program p;
  p.process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (p.process_) p.pid_ = pid;
  return p;
}

bool Program::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::Wait(int timeout_ms) {
  if (!process_) return std::nullopt;
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

void Program::Kill() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

// ---- windows --------------------------------------------------------------

std::string ClassOf(HWND hwnd) {
  char buf[256] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

std::string Text(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::string buf(len + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    return "";
  }
  buf.resize(std::min<size_t>(got, len));
  return buf;
}

std::string UnicodeText(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::wstring buf(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    return "";
  }
  buf.resize(std::min<size_t>(got, len));
  return Utf8(buf);
}

bool Visible(HWND hwnd) {
  return IsWindowVisible(hwnd) != 0;
}

namespace {
struct TopCtx {
  DWORD pid;
  bool visible_only;
  std::vector<HWND> out;
};
BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<TopCtx*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  if (owner == c->pid && (!c->visible_only || IsWindowVisible(h))) c->out.push_back(h);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, bool visible_only) {
  TopCtx ctx{pid, visible_only, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.out;
}

HWND FindTopWindow(DWORD pid, const std::string& class_name, const std::string& caption,
                   bool visible_only) {
  for (HWND h : TopWindows(pid, visible_only)) {
    if (!class_name.empty() && ClassOf(h) != class_name) continue;
    if (!caption.empty() && Text(h) != caption) continue;
    return h;
  }
  return nullptr;
}

HWND WaitForTopWindow(DWORD pid, const std::string& class_name, const std::string& caption,
                      int timeout_ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopWindow(pid, class_name, caption)) != nullptr; },
            timeout_ms);
  return found;
}

static void Collect(HWND parent, std::vector<HWND>& out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
    Collect(c, out);
  }
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  Collect(parent, out);
  return out;
}

HWND FindChild(HWND parent, const std::string& class_name, const std::string& text) {
  for (HWND c : Descendants(parent)) {
    if (!class_name.empty() && _stricmp(ClassOf(c).c_str(), class_name.c_str()) != 0) continue;
    if (Text(c) == text) return c;
  }
  return nullptr;
}

RECT ClientRect(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

RECT RectInParent(HWND child) {
  RECT r = WindowRectOf(child);
  HWND parent = GetParent(child);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}
void PostTimer(HWND window, UINT_PTR id) {
  PostMessageA(window, WM_TIMER, id, 0);
}
void Close(HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
}

bool EndSession(HWND window, LPARAM why) {
  DWORD_PTR agreed = 0, ended = 0;
  return SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, why, SMTO_NORMAL, 5000, &agreed) &&
         agreed == TRUE &&
         SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, why, SMTO_NORMAL, 5000, &ended);
}

void PressKey(HWND window, WPARAM vk) {
  PostMessageA(window, WM_KEYDOWN, vk, 1);
  PostMessageA(window, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
}

std::optional<std::string> AnswerMessageBox(DWORD pid, const std::string& caption, int button_id,
                                            int timeout_ms) {
  HWND box = WaitForTopWindow(pid, "#32770", caption, timeout_ms);
  if (!box) return std::nullopt;
  std::string text;
  for (HWND c : Descendants(box)) {
    if (_stricmp(ClassOf(c).c_str(), "Static") == 0 && GetDlgCtrlID(c) == 0xFFFF) {
      text = Text(c);
    }
  }
  if (text.empty()) {
    for (HWND c : Descendants(box)) {
      if (_stricmp(ClassOf(c).c_str(), "Static") == 0 && !Text(c).empty()) text = Text(c);
    }
  }
  HWND button = GetDlgItem(box, button_id);
  if (button) {
    Click(button);
  } else {
    Close(box);
  }
  return text;
}

}  // namespace e2e
