// What every benchmark program needs: a clock, the median of a series, the
// process's peak memory, a verdict line, and its work folder and build named
// in its first line.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return static_cast<double>(pmc.PeakPagefileUsage) / 1048576.0;
}

inline void Verdict(const char* target, double ratio, double limit) {
  std::printf("verdict %-9s %s (ratio %.3f, limit %.2f)\n", target,
              ratio <= limit ? "MET" : "MISSED", ratio, limit);
}

// The work folder: the first argument, else `name` in the temporary folder;
// without a final backslash.
inline std::string WorkFolder(int argc, char** argv, const char* name) {
  std::string work;
  if (argc > 1) {
    work = argv[1];
  } else {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    work = std::string(temp) + name;
  }
  while (!work.empty() && work.back() == '\\') work.pop_back();
  return work;
}

// "<tool> benchmark, <build>, in <folder>" and a blank line.
inline void Heading(const char* tool, const std::string& work) {
#ifdef _WIN64
  const char* build = "x86_64 build of the shipped sources";
#else
  const char* build = "i686 build (the shipped one)";
#endif
  std::printf("%s benchmark, %s, in %s\n\n", tool, build, work.c_str());
}

}  // namespace bench
