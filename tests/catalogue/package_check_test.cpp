#include "catalogue/package_check.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kSignature = "\xC1\x83\x2A\x9E";

TEST(PackageCheck, ReadsTheFirstBytesOfEachKind) {
  const TemporaryFolder folder;
  struct KindCase {
    const char *utName;
    std::string bytes;
    PackageCondition condition;
  };
  const std::string htmlPage = "<!DOCTYPE html><html><body>404 Not Found</body></html>";
  const KindCase cases[] = {
      {"HumanMaleA.ukx", kSignature + "rest of the package", PackageCondition::Sound},
      {"DM-Deck17.ut2", kSignature + std::string(5000, 'm'), PackageCondition::Sound},
      {"DM-Deck17.UT2", kSignature, PackageCondition::Sound},
      {"WeaponSounds.uax", kSignature + "s", PackageCondition::Sound},
      {"Crates.usx", kSignature + "s", PackageCondition::Sound},
      {"UTComp.u", kSignature + "code", PackageCondition::Sound},
      {"Skies.utx", kSignature + "t", PackageCondition::Sound},
      {"Arena.ogg", "OggS\x00\x02", PackageCondition::Sound},
      {"Ragdoll.ka", "any bytes at all", PackageCondition::Sound},
      {"DM-Error.ut2", htmlPage, PackageCondition::WebPage},
      {"DM-Error.ut2", "\xEF\xBB\xBF\r\n  <html><body>502</body>", PackageCondition::WebPage},
      {"DM-Text.ut2", "Not Found", PackageCondition::WrongStart},
      {"DM-Cut.ut2", "\xC1\x83", PackageCondition::WrongStart},
      {"Arena.ogg", kSignature + "a package named as music", PackageCondition::WrongStart},
      {"UTComp.u", "OggS", PackageCondition::WrongStart},
      {"Empty.ut2", "", PackageCondition::Empty},
      {"Empty.ka", "", PackageCondition::Empty},
      {"Readme.txt", "", PackageCondition::Empty},
      {"Readme.txt", "notes", PackageCondition::Sound},
  };
  for (const KindCase &kind : cases) {
    writeFile(folder / "F.uxx", kind.bytes);
    EXPECT_EQ(checkCachedFile(folder / "F.uxx", kind.utName), kind.condition) << kind.utName << " " << kind.bytes;
    EXPECT_EQ(damageText(kind.condition, kind.utName).empty(), kind.condition == PackageCondition::Sound);
    EXPECT_EQ(damageAdvice(kind.condition).ends_with("move it to the Trash and the game will download it again"),
              kind.condition != PackageCondition::Sound);
  }
  EXPECT_EQ(damageText(PackageCondition::WrongStart, "Arena.ogg"),
            "Damaged download: the cached file does not begin as an Ogg file does");
}

TEST(PackageCheck, LooksAtNothingButAPlainFile) {
  const TemporaryFolder folder;
  writeFile(folder / "real.uxx", "");
  ASSERT_EQ(::symlink((folder / "real.uxx").c_str(), (folder / "link.uxx").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.uxx").c_str(), 0644), 0);
  makeFolders(folder / "folder.uxx");
  for (const char *name : {"link.uxx", "fifo.uxx", "folder.uxx", "missing.uxx"})
    EXPECT_EQ(checkCachedFile(folder / name, "DM-Foo.ut2"), PackageCondition::NotLookedAt) << name;
}

} // namespace
