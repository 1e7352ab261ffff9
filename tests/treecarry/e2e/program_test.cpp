// The Treecarry.exe file itself: a window program without a console, with
// its icon and its German version resource.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "Driver.h"

namespace {

const std::string kExe = e2e::WinPath(TREECARRY_EXE);

// The program is built for the same machine as this test.
#ifdef _WIN64
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
#endif

std::string VersionString(const std::string& info, const char* name) {
  void* value = nullptr;
  UINT size = 0;
  const std::string path = std::string("\\StringFileInfo\\040704E4\\") + name;
  if (!VerQueryValueA(info.data(), path.c_str(), &value, &size) || size == 0) return "<none>";
  return std::string(static_cast<const char*>(value));
}

TEST(TreecarryProgram, IsAWindowProgramWithoutConsole) {
  const std::string bytes = e2e::ReadFileBytes(kExe).value_or("");
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS), bytes.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes.data() + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, kMachine);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(TreecarryProgram, CarriesItsIconAndGermanVersion) {
  HMODULE module = LoadLibraryExA(kExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr)
      << "no icon group";  // RT_GROUP_ICON
  EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),
                            MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)),
            nullptr)
      << "no version resource in language 1031";
  FreeLibrary(module);

  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(kExe.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string info(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(kExe.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  EXPECT_EQ(fixed->dwFileVersionMS, (2012u << 16) | 1u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, (2012u << 16) | 1u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(VersionString(info, "CompanyName"), "Quorlen");
  EXPECT_EQ(VersionString(info, "ProductName"), "Treecarry");
  EXPECT_EQ(VersionString(info, "InternalName"), "Treecarry");
  EXPECT_EQ(VersionString(info, "FileVersion"), "2012.01");
  EXPECT_EQ(VersionString(info, "ProductVersion"), "2012.01");
}

}  // namespace
