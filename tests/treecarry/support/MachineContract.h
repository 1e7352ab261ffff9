// What Treecarry's logic relies on from its Machine's registry questions,
// written once as tables (the registry before the call, the call, the
// answer) and run twice: natively against FakeMachine, and under Wine
// against Win32Machine on real keys below the profile list and HKEY_USERS.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Machine.h"

namespace treecarry::test {

// Value types as the registry stores them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

// The registry before a call: in the fake's memory, or in the test prefix's
// registry (where the ground removes what it made when it goes).
class RegistryGround {
 public:
  virtual ~RegistryGround() = default;
  virtual Machine& Sys() = 0;
  // True for the real machine under Wine: where a row says that Wine and
  // Windows differ, the fake keeps to Windows.
  virtual bool Wine() = 0;
  // Lists name as a profile, after the profiles listed so far.
  virtual void ListProfile(const std::string& name) = 0;
  // profile's loaded hive holds the instrument software's key, no value in it.
  virtual void DirectoriesKey(const std::string& profile) = 0;
  // ... and in that key the Application value: bytes stored as they are.
  virtual void Application(const std::string& profile, std::uint32_t type,
                           const std::string& bytes) = 0;
};

// ProfileNames: every listed name comes back once, exactly as stored. The
// order is the registry's own (sorted under Wine and on Windows alike), so
// it is not compared; other profiles of the machine may come back too.
struct ProfileNamesCase {
  const char* what;
  std::vector<std::string> listed;
};

inline std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(stem + std::to_string(i));
  return names;
}

inline const std::vector<ProfileNamesCase>& ProfileNamesCases() {
  static const std::vector<ProfileNamesCase> cases = {
      {"two profiles", {"Tc Contract A", "Tc Contract B"}},
      {"blanks at both ends stay", {"  Tc Contract Blank  "}},
      {"a name in the ANSI code page", {"Tc Contract M\xFCller"}},
      // More than an 8-bit index can count.
      {"hundreds of profiles", Numbered("Tc Contract N", 300)},
  };
  return cases;
}

// The hive of kProfile before ApplicationValue(ask).
enum class Hive { NotLoaded, KeyWithoutValue, Value };

struct ApplicationValueCase {
  const char* what;
  Hive hive;
  std::uint32_t type;
  std::string bytes;                  // as stored: a closing NUL only where written
  std::optional<std::string> answer;  // as Windows gives it
  // Where Wine and Windows are known to differ, and Wine's answer.
  const char* wine_differs = "";
  std::optional<std::string> wine_answer = std::nullopt;
  const char* ask = "Tc Contract P";
};

inline constexpr char kProfile[] = "Tc Contract P";

inline const std::vector<ApplicationValueCase>& ApplicationValueCases() {
  using namespace std::string_literals;
  static const std::vector<ApplicationValueCase> cases = {
      {"hive not loaded", Hive::NotLoaded, kRegSz, "", std::nullopt},
      {"key without the value", Hive::KeyWithoutValue, kRegSz, "", std::nullopt},
      {"a text in the ANSI code page", Hive::Value, kRegSz,
       "D:\\Me\xDF"
       "daten\\\xC4nderungen\0"s,
       "D:\\Me\xDF"
       "daten\\\xC4nderungen"},
      {"the profile asked in other letter case", Hive::Value, kRegSz, "D:\\Data\0"s, "D:\\Data", "",
       "TC CONTRACT p"},
      {"an empty text is a value", Hive::Value, kRegSz, "\0"s, ""},
      {"254 characters and the NUL fit", Hive::Value, kRegSz, std::string(254, 'x') + '\0',
       std::string(254, 'x')},
      {"255 characters and the NUL do not", Hive::Value, kRegSz, std::string(255, 'y') + '\0',
       std::nullopt},
      {"stored without its NUL", Hive::Value, kRegSz, "D:\\Data", "D:\\Data",
       "Wine's ANSI read adds the NUL, Windows returns the stored bytes alone", "D:\\Data"},
      {"255 characters without a NUL", Hive::Value, kRegSz, std::string(255, 'z'),
       std::string(255, 'z'),
       "Wine's ANSI read adds the NUL, which no longer fits: the value counts as missing"},
      {"two texts: the first counts", Hive::Value, kRegSz, "D:\\Data\0D:\\Old\0"s, "D:\\Data"},
      {"another type: its raw bytes", Hive::Value, kRegDword, "AB\0\0"s, "AB"},
  };
  return cases;
}

// Runs every case of both tables, each on a fresh ground.
inline void RunMachineContract(const std::function<std::unique_ptr<RegistryGround>()>& ground) {
  for (const ProfileNamesCase& c : ProfileNamesCases()) {
    SCOPED_TRACE(std::string("ProfileNames: ") + c.what);
    const auto g = ground();
    for (const std::string& name : c.listed) g->ListProfile(name);
    const std::vector<std::string> names = g->Sys().ProfileNames();
    for (const std::string& name : c.listed) {
      EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << "'" << name << "'";
    }
  }
  for (const ApplicationValueCase& c : ApplicationValueCases()) {
    SCOPED_TRACE(std::string("ApplicationValue: ") + c.what +
                 (*c.wine_differs ? std::string(" (") + c.wine_differs + ")" : ""));
    const auto g = ground();
    if (c.hive == Hive::KeyWithoutValue) g->DirectoriesKey(kProfile);
    if (c.hive == Hive::Value) g->Application(kProfile, c.type, c.bytes);
    EXPECT_EQ(g->Sys().ApplicationValue(c.ask),
              g->Wine() && *c.wine_differs ? c.wine_answer : c.answer);
  }
}

}  // namespace treecarry::test
