#include "relocation/copy_out.h"

#include "relocation/copy_journal.h"
#include "relocation/replacement_file.h"
#include "relocation/uz2_writer.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kSignature = "\xC1\x83\x2A\x9E";

// A cache folder with a few packages, and an empty folder to copy them to.
struct CopyFixture {
  CopyFixture() {
    makeFolders(cache);
    makeFolders(shared);
    add(2, "M0", "DM-Deck17.ut2", kSignature + "deck");
    add(2, "M1", "DM-Broken.ut2", "<html>404</html>");
    add(7, "X0", "Sky.utx", kSignature + "sky");
    add(3, "O0", "Arena.ogg", "OggS music");
  }
  void add(std::size_t category, const std::string &cacheName, const std::string &utName, const std::string &bytes) {
    writeFile(cache + "/" + cacheName + ".uxx", bytes);
    plan.push_back(PlannedMove{category, cacheName, utName, ""});
  }
  CopyOutSettings settings(CopyFormat format = CopyFormat::Plain) const {
    CopyOutSettings copy;
    copy.cacheDirectory = cache;
    copy.folder = shared;
    copy.dataHome = dataHome;
    copy.format = format;
    return copy;
  }
  // Every file under the folder, relative to it, in order.
  std::vector<std::string> sharedFiles() const {
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(shared))
      if (entry.is_regular_file())
        files.push_back(std::filesystem::relative(entry.path(), shared).string());
    std::sort(files.begin(), files.end());
    return files;
  }
  std::vector<std::string> cacheFiles() const {
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(cache))
      files.push_back(entry.path().filename().string() + ":" + readFile(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
  }

  TemporaryFolder root;
  std::string cache = root / "Cache";
  std::string shared = root / "Shared";
  std::string dataHome = root / "data";
  std::vector<PlannedMove> plan;
};

std::vector<std::string> names(const std::vector<MoveReport::Package> &packages) {
  std::vector<std::string> found;
  for (const MoveReport::Package &package : packages)
    found.push_back(package.utName + (package.reason.empty() ? "" : ": " + package.reason));
  return found;
}

TEST(CopyOut, CopiesUnderRealNamesAndLeavesTheCacheAsItWas) {
  struct LayoutCase {
    const char *label;
    CopyFormat format;
    bool intoCategoryFolders;
    std::vector<std::string> files;
  };
  const LayoutCase cases[] = {
      {"flat", CopyFormat::Plain, false, {"Arena.ogg", "DM-Deck17.ut2", "Sky.utx"}},
      {"by category", CopyFormat::Plain, true, {"Maps/DM-Deck17.ut2", "Music/Arena.ogg", "Textures/Sky.utx"}},
      {"for a redirect server", CopyFormat::Uz2, true, {"Arena.ogg.uz2", "DM-Deck17.ut2.uz2", "Sky.utx.uz2"}},
  };
  for (const LayoutCase &layout : cases) {
    CopyFixture fixture;
    const std::vector<std::string> cacheBefore = fixture.cacheFiles();
    CopyOutSettings settings = fixture.settings(layout.format);
    settings.intoCategoryFolders = layout.intoCategoryFolders;
    // The bar goes by bytes: the first three packages are 31 of the 41.
    std::vector<double> fractions;
    std::optional<double> atTheLast;
    const CopyOutEvents events{[&](const MoveProgress &progress) {
                                 fractions.push_back(progressFraction(progress));
                                 if (progress.utName == "Arena.ogg" && !atTheLast)
                                   atTheLast = fractions.back();
                               },
                               {}};
    const MoveReport report = copyOut(fixture.plan, settings, events);
    ASSERT_TRUE(atTheLast.has_value());
    EXPECT_NEAR(*atTheLast, 31.0 / 41, 0.001) << layout.label;
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end())) << layout.label;
    EXPECT_EQ(names(report.moved), (std::vector<std::string>{"DM-Deck17.ut2", "Sky.utx", "Arena.ogg"})) << layout.label;
    EXPECT_EQ(names(report.stayed), (std::vector<std::string>{"DM-Broken.ut2: Left out: a damaged download"}));
    EXPECT_EQ(fixture.sharedFiles(), layout.files) << layout.label << ": nothing else, no temporary file";
    EXPECT_EQ(fixture.cacheFiles(), cacheBefore) << "the cache is not touched";
    if (layout.format == CopyFormat::Plain) {
      const std::string deck = layout.intoCategoryFolders ? "/Maps/DM-Deck17.ut2" : "/DM-Deck17.ut2";
      EXPECT_EQ(readFile(fixture.shared + deck), kSignature + "deck");
    } else {
      const FileDescriptor written(::open((fixture.shared + "/DM-Deck17.ut2.uz2").c_str(), O_RDONLY));
      const FileDescriptor source(::open((fixture.cache + "/M0.uxx").c_str(), O_RDONLY));
      EXPECT_EQ(checkUz2(written.get(), source.get(), kSignature.size() + 4), 0);
    }
  }
}

TEST(CopyOut, AFileAlreadyThereStaysUnlessTheUserAgrees) {
  CopyFixture fixture;
  writeFile(fixture.shared + "/Sky.utx", "the user's own sky");
  CopyOutSettings settings = fixture.settings();
  settings.leaveDamaged = false;
  MoveReport report = copyOut(fixture.plan, settings);
  EXPECT_EQ(names(report.stayed),
            (std::vector<std::string>{"Sky.utx: Left out: a file of that name is in the folder"}));
  EXPECT_EQ(readFile(fixture.shared + "/Sky.utx"), "the user's own sky");
  EXPECT_EQ(readFile(fixture.shared + "/DM-Broken.ut2"), "<html>404</html>") << "damaged, but asked for";

  settings.replaceExisting = true;
  report = copyOut(fixture.plan, settings);
  EXPECT_TRUE(report.stayed.empty());
  EXPECT_EQ(readFile(fixture.shared + "/Sky.utx"), kSignature + "sky");
}

// The game takes names case aside: a file there spelled in another case is
// the package's, in a category folder spelled in another case too, and a
// second name that differs in case alone is never made.
TEST(CopyOut, AFileThereInAnotherCaseIsThePackagesFile) {
  for (const CopyFormat format : {CopyFormat::Plain, CopyFormat::Uz2}) {
    CopyFixture fixture;
    fixture.add(7, "X1", "SKY.utx", kSignature + "another sky");
    CopyOutSettings settings = fixture.settings(format);
    settings.intoCategoryFolders = format == CopyFormat::Plain;
    const std::string folder = settings.intoCategoryFolders ? fixture.shared + "/textures" : fixture.shared;
    const std::string theirs = folder + (format == CopyFormat::Plain ? "/sky.UTX" : "/sky.utx.UZ2");
    makeFolders(folder);
    writeFile(theirs, "the user's own sky");
    EXPECT_EQ(previewCopyOut(fixture.plan, settings).existing, 2u);
    MoveReport report = copyOut(fixture.plan, settings);
    EXPECT_EQ(names(report.stayed), (std::vector<std::string>{"DM-Broken.ut2: " + std::string(kDamagedReason),
                                                              "Sky.utx: Left out: a file of that name is in the folder",
                                                              "SKY.utx: " + std::string(kSameCopyNameReason)}));
    EXPECT_EQ(readFile(theirs), "the user's own sky");

    settings.replaceExisting = true;
    report = copyOut(fixture.plan, settings);
    const std::vector<std::string> files = fixture.sharedFiles();
    if (format == CopyFormat::Plain) {
      EXPECT_EQ(readFile(theirs), kSignature + "sky") << "replaced under its own name";
      EXPECT_EQ(files, (std::vector<std::string>{"Maps/DM-Deck17.ut2", "Music/Arena.ogg", "textures/sky.UTX"}));
    } else {
      EXPECT_EQ(files, (std::vector<std::string>{"Arena.ogg.uz2", "DM-Deck17.ut2.uz2", "sky.utx.UZ2"}));
    }
  }
}

TEST(CopyOut, ACancelLeavesNothingHalfWritten) {
  CopyFixture fixture;
  const std::string big(3 * kUz2ChunkSize * 8 + 5, 'b');
  fixture.add(2, "B0", "DM-Big.ut2", kSignature + big);
  std::rotate(fixture.plan.begin(), fixture.plan.end() - 1, fixture.plan.end());
  // Stopped while the big map's chunks are written: the first package.
  int asked = 0;
  CopyOutEvents events;
  events.cancelled = [&asked] { return ++asked > 2; };
  const MoveReport report = copyOut(fixture.plan, fixture.settings(CopyFormat::Uz2), events);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.handled, 0u);
  EXPECT_EQ(report.stayed.size(), fixture.plan.size());
  EXPECT_TRUE(fixture.sharedFiles().empty()) << "neither the big map nor its temporary file";

  // Stopped between packages: those copied are whole.
  asked = 0;
  events.cancelled = [&asked] { return ++asked == 2; };
  const MoveReport plain = copyOut(fixture.plan, fixture.settings(), events);
  EXPECT_TRUE(plain.cancelled);
  EXPECT_EQ(plain.moved.size(), 1u);
  EXPECT_EQ(fixture.sharedFiles(), (std::vector<std::string>{"DM-Big.ut2"}));
  EXPECT_EQ(readFile(fixture.shared + "/DM-Big.ut2").size(), big.size() + 4);
}

TEST(CopyOut, AFullDiskLeavesThePackageOutAndNoFile) {
  CopyFixture fixture;
  if (::mount("tmpfs", fixture.shared.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "a small tmpfs needs the right to mount";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount(path.c_str()); }
  } const unmount{fixture.shared};
  fixture.add(2, "B0", "DM-Big.ut2", kSignature + std::string(1 << 20, 'b'));
  for (const CopyFormat format : {CopyFormat::Plain, CopyFormat::Uz2}) {
    // Random bytes do not compress to fit either.
    std::mt19937 random(2004);
    std::string noise(1 << 20, '\0');
    for (char &byte : noise)
      byte = static_cast<char>(random());
    writeFile(fixture.cache + "/B0.uxx", kSignature + noise);
    const MoveReport report = copyOut(fixture.plan, fixture.settings(format));
    ASSERT_FALSE(report.stayed.empty());
    EXPECT_NE(report.stayed.back().reason.find("No space left on device"), std::string::npos)
        << report.stayed.back().reason;
    for (const std::string &file : fixture.sharedFiles()) {
      EXPECT_EQ(file.find("DM-Big"), std::string::npos) << file;
      EXPECT_FALSE(isTemporaryFileName(file)) << file;
    }
    for (const auto &entry : std::filesystem::directory_iterator(fixture.shared))
      std::filesystem::remove_all(entry.path());
  }
}

} // namespace

namespace {

TEST(CopyOut, TheFirstPackageOfANameTakesIt) {
  CopyFixture fixture;
  fixture.add(2, "M2", "DM-Deck17.ut2", kSignature + "another deck");
  CopyOutSettings settings = fixture.settings();
  settings.replaceExisting = true;
  const MoveReport report = copyOut(fixture.plan, settings);
  EXPECT_EQ(readFile(fixture.shared + "/DM-Deck17.ut2"), kSignature + "deck");
  ASSERT_EQ(report.stayed.size(), 2u);
  EXPECT_EQ(report.stayed[1].cacheName, "M2");
  EXPECT_EQ(report.stayed[1].reason, kSameCopyNameReason);
  EXPECT_EQ(report.moved.size(), 3u) << "the damaged one is left out as before";
}

// A copy killed part-way leaves its temporary beside its name; the journal
// names it, and the next start removes it, and only it, with any scratch
// file of ours in the data folder.
TEST(CopyOut, TheNextStartRemovesWhatAKilledCopyLeft) {
  const TemporaryFolder root;
  const std::string shared = root / "Shared";
  const std::string dataHome = root / "data";
  makeFolders(shared);
  writeFile(shared + "/.cache-sorter-Zz9Zz9", "another program's, or another run's, not in our journal");
  // A scratch copy that a run was killed too early to unlink.
  makeFolders(dataHome + "/cache-sorter");
  writeFile(dataHome + "/cache-sorter/.cache-sorter-Cc3Cc3", "a map read for its needs");
  const pid_t child = ::fork();
  if (child == 0) {
    // Never destroyed: the run is killed.
    std::optional<CopyJournal> journal(std::in_place, dataHome);
    const bool recorded = journal->record(shared, ".cache-sorter-Aa1Aa1");
    const FileDescriptor partial(::open((shared + "/.cache-sorter-Aa1Aa1").c_str(), O_WRONLY | O_CREAT, 0644));
    std::_Exit(recorded && partial.valid() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // A run that still lives keeps its journal and its temporaries.
  std::optional<CopyJournal> living(std::in_place, dataHome);
  ASSERT_TRUE(living->record(shared, ".cache-sorter-Bb2Bb2"));
  writeFile(shared + "/.cache-sorter-Bb2Bb2", "being written");
  removeCopyLeftovers(dataHome);
  EXPECT_FALSE(exists(shared + "/.cache-sorter-Aa1Aa1"));
  EXPECT_TRUE(exists(shared + "/.cache-sorter-Bb2Bb2"));
  EXPECT_TRUE(exists(shared + "/.cache-sorter-Zz9Zz9"));
  EXPECT_FALSE(exists(dataHome + "/cache-sorter/.cache-sorter-Cc3Cc3"));
  std::filesystem::remove(shared + "/.cache-sorter-Bb2Bb2");
  living.reset();
  EXPECT_TRUE(std::filesystem::is_empty(dataHome + "/cache-sorter")) << "every journal settled";
}

} // namespace
