// The file operations of a transfer: the target's folders made level by level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeFolders.h"
#include "FakeTransferFiles.h"
#include "Transfer.h"

using namespace ferrolink;
using namespace ferrolink::test;

TEST(CreateDirectoryPath, CreatesMissingLevelsOutermostFirst) {
  FakeParts<FakeFolders, FakeTransferFiles> p;
  std::string error;
  p.AddDir("D:\\Ziel");
  EXPECT_TRUE(CreateDirectoryPath(p, p, "D:\\Ziel\\a\\b\\", error));
  EXPECT_EQ(p.created_dirs, (std::vector<std::string>{"D:\\Ziel\\a", "D:\\Ziel\\a\\b"}));
  EXPECT_TRUE(CreateDirectoryPath(p, p, "D:\\Ziel\\a\\b\\", error));
  EXPECT_EQ(p.created_dirs.size(), 2u);
  EXPECT_TRUE(CreateDirectoryPath(p, p, "D:\\", error));  // a drive root counts as done

  p.AddDir("\\\\srv\\share\\Ziel");
  EXPECT_TRUE(CreateDirectoryPath(p, p, "\\\\srv\\share\\Ziel\\n\\", error));
  EXPECT_EQ(p.created_dirs.back(), "\\\\srv\\share\\Ziel\\n");

  p.unwritable_dirs.insert(FakeDisk::Key("D:\\Ziel"));
  EXPECT_FALSE(CreateDirectoryPath(p, p, "D:\\Ziel\\c\\d\\", error));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\c"));
}
