#include "package/background_reader.h"

#include "package_writer.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>

namespace {

std::string packageNeeding(const char *name, std::uint32_t guidWord) {
  PackageWriter writer;
  writer.guid = {guidWord, 0, 0, 0};
  writer.needs(name);
  return writer.bytes();
}

TEST(BackgroundReader, LearnsEachFileAndForgetsNothingButWhatChanged) {
  const TemporaryFolder folder;
  writeFile(folder / "A.uxx", packageNeeding("TexA", 0xA));
  writeFile(folder / "B.uxx", packageNeeding("TexB", 0xB));
  writeFile(folder / "C.uxx", "<html>404</html>");
  const auto shared = std::make_shared<PackageKnowledge>();
  PackageKnowledge &knowledge = *shared;
  // Reads `paths` to their end, and only then lets the reader go.
  const auto readAll = [&](std::vector<std::string> paths) {
    std::latch ended(static_cast<std::ptrdiff_t>(paths.size()));
    const BackgroundReader reader(shared, std::move(paths), [&](std::size_t) { ended.count_down(); });
    ended.wait();
  };
  readAll({folder / "A.uxx", folder / "B.uxx", folder / "C.uxx", folder / "gone.uxx"});
  EXPECT_EQ(knowledge.size(), 3u) << "nothing is kept for a file that is not there";
  const std::optional<PackageFacts> a = knowledge.knownAt(folder / "A.uxx");
  ASSERT_TRUE(a && a->readable);
  EXPECT_EQ(a->needs, std::vector<std::string>{"TexA"});
  EXPECT_EQ(a->guid.text(), "0000000A000000000000000000000000");
  EXPECT_TRUE(cacheNameIsGuid("0000000a000000000000000000000000", a->guid));
  EXPECT_FALSE(cacheNameIsGuid("A", a->guid));
  const std::optional<PackageFacts> c = knowledge.knownAt(folder / "C.uxx");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->unreadable, "it does not begin as a package does");

  // A file that changes is another file: unknown until read again.
  writeFile(folder / "B.uxx", packageNeeding("TexC", 0xC));
  EXPECT_FALSE(knowledge.knownAt(folder / "B.uxx"));
  readAll({folder / "A.uxx", folder / "B.uxx"});
  ASSERT_TRUE(knowledge.knownAt(folder / "B.uxx"));
  EXPECT_EQ(knowledge.knownAt(folder / "B.uxx")->needs, std::vector<std::string>{"TexC"});
}

// Stopped while the first file is in hand, the reading ends after it; once
// the reader has gone, the thread calls nothing of its owner's.
TEST(BackgroundReader, StopsAfterTheFileInHand) {
  const TemporaryFolder folder;
  std::vector<std::string> paths;
  for (int index = 0; index < 5; ++index) {
    paths.push_back(folder / ("P" + std::to_string(index) + ".uxx"));
    writeFile(paths.back(), packageNeeding("Tex", static_cast<std::uint32_t>(index)));
  }
  const auto knowledge = std::make_shared<PackageKnowledge>();
  std::latch inHand(1), stopAsked(1);
  std::atomic<std::size_t> calls = 0;
  {
    BackgroundReader reader(knowledge, paths, [&](std::size_t done) {
      ++calls;
      if (done != 1)
        return;
      inHand.count_down();
      stopAsked.wait();
    });
    inHand.wait();
    reader.requestStop();
    stopAsked.count_down();
  }
  EXPECT_EQ(calls, 1u);
  EXPECT_EQ(knowledge->size(), 1u);
}

} // namespace
