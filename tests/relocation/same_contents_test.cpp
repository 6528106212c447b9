#include "relocation/same_contents.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(SameContents, ComparesSizesThenEveryBlock) {
  const TemporaryFolder folder;
  const std::string big(200 * 1024, 'b');
  struct ContentsCase {
    const char *label;
    std::string first;
    std::string second;
    std::optional<bool> same;
  };
  const ContentsCase cases[] = {
      {"identical", "map", "map", true},
      {"both empty", "", "", true},
      {"other sizes", "map", "maps", false},
      {"same size, other bytes", "map", "mop", false},
      {"a difference in the last block", big, big.substr(0, big.size() - 1) + "c", false},
      {"identical over many blocks", big, big, true},
  };
  for (const ContentsCase &contents : cases) {
    writeFile(folder / "first", contents.first);
    writeFile(folder / "second", contents.second);
    EXPECT_EQ(sameContents(folder / "first", folder / "second"), contents.same) << contents.label;
  }
  EXPECT_EQ(sameContents(folder / "first", folder / "first"), true) << "one file";
  EXPECT_EQ(sameContents(folder / "first", folder / "missing"), std::nullopt);
  makeFolders(folder / "folder");
  EXPECT_EQ(sameContents(folder / "first", folder / "folder"), std::nullopt);
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(sameContents(folder / "fifo", folder / "first"), std::nullopt) << "never waits on a FIFO";
}

} // namespace
