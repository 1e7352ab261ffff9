// How the platform's C run-time splits a command line into arguments: the
// program name up to its closing quote (or the first blank), then arguments
// separated by blanks or tabs, where "..." groups, 2n backslashes before a
// quote give n backslashes and a grouping quote, 2n+1 give n and a literal
// quote, and other backslashes stand for themselves. Used by the tests to
// check what Move.exe receives.
#pragma once

#include <string>
#include <vector>

namespace treecarry::test {

inline std::vector<std::string> SplitArguments(const std::string& line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = line.size();
  std::string program;
  if (i < n && line[i] == '"') {
    for (++i; i < n && line[i] != '"'; ++i) program += line[i];
    if (i < n) ++i;
  } else {
    for (; i < n && line[i] != ' ' && line[i] != '\t'; ++i) program += line[i];
  }
  args.push_back(program);
  for (;;) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      const char c = line[i];
      if (c == '\\') {
        std::size_t count = 0;
        while (i < n && line[i] == '\\') ++count, ++i;
        if (i < n && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else if ((c == ' ' || c == '\t') && !quoted) {
        break;
      } else {
        arg += c;
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace treecarry::test
