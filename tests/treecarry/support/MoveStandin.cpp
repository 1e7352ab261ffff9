// Move.exe for the tests: a window-less program that appends what it received
// to a record file, can wait, and ends with a chosen exit code. Steered by
// its environment, which Treecarry hands on unchanged:
//   TREECARRY_TEST_RECORD   file to append the record to (nothing without it)
//   TREECARRY_TEST_RELEASE  wait until this file exists (at most two minutes)
//   TREECARRY_TEST_EXIT     exit code, decimal, default 0
// The record, one line each: "module=" own path, "pid=", "cmdline=" the
// command line as received, "argc=", one "argv=" per argument as the C
// run-time split them, and "end".
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name) {
  char buf[4096];
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

void Append(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string record = Env("TREECARRY_TEST_RECORD");
  if (!record.empty()) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string text = std::string("module=") + module + "\n";
    text += "pid=" + std::to_string(GetCurrentProcessId()) + "\n";
    text += std::string("cmdline=") + GetCommandLineA() + "\n";
    text += "argc=" + std::to_string(__argc) + "\n";
    for (int i = 0; i < __argc; ++i) text += std::string("argv=") + __argv[i] + "\n";
    text += "end\n";
    Append(record, text);
  }
  const std::string release = Env("TREECARRY_TEST_RELEASE");
  if (!release.empty()) {
    for (int waited = 0; waited < 120000; waited += 20) {
      if (GetFileAttributesA(release.c_str()) != INVALID_FILE_ATTRIBUTES) break;
      Sleep(20);
    }
  }
  return std::atoi(Env("TREECARRY_TEST_EXIT").c_str());
}
