#include "posix/beneath.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(Beneath, RealSubfoldersOpenAndLinksDoNot) {
  const TemporaryFolder root;
  makeFolders(root / "base/real/deeper");
  makeFolders(root / "outside");
  std::filesystem::create_directory_symlink(root / "outside", root / "base/link");
  std::filesystem::create_directory_symlink("real", root / "base/inner-link");
  std::filesystem::create_directory_symlink(root / "outside", root / "base/real/deep-link");
  writeFile(root / "base/file", "not a folder");
  const FileDescriptor base = openFolder(root / "base");
  ASSERT_TRUE(base.valid());

  struct Case {
    const char *relative;
    int error; // 0 when it opens
  };
  const std::vector<Case> cases = {
      {"real", 0},         {"real/deeper", 0},    {"", 0},
      {"link", ELOOP},     {"inner-link", ELOOP}, {"real/deep-link", ELOOP},
      {"missing", ENOENT}, {"file", ENOTDIR},
  };
  for (const auto open : {openFolderBeneath, openFolderBeneathByComponents}) {
    for (const Case &testCase : cases) {
      errno = 0;
      const FileDescriptor folder = open(base.get(), testCase.relative);
      EXPECT_EQ(folder.valid() ? 0 : errno, testCase.error) << testCase.relative;
    }
  }
}

TEST(Beneath, ALeafIsOpenedWithoutFollowingALinkOrWaiting) {
  const TemporaryFolder root;
  writeFile(root / "file", "bytes");
  std::filesystem::create_symlink(root / "file", root / "link");
  ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0644), 0);
  const FileDescriptor folder = openFolder(root.path());
  EXPECT_TRUE(openLeaf(folder.get(), "file", O_RDONLY).valid());
  EXPECT_TRUE(openLeaf(folder.get(), "fifo", O_RDONLY).valid()) << "opened without a writer, not waited on";
  errno = 0;
  EXPECT_FALSE(openLeaf(folder.get(), "link", O_RDONLY).valid());
  EXPECT_EQ(errno, ELOOP);
}

} // namespace
