#include "relocation/desktop_trash.h"

#include "posix/beneath.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What stands below `root`, as paths relative to it.
std::set<std::string> listing(const std::string &root) {
  std::set<std::string> found;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    found.insert(fs::relative(entry.path(), root).string());
  return found;
}

// Runs `body` in a child process as the user `uid`, who is not root and may
// not write where the permission bits say no; true when it returned true.
bool asUser(uid_t uid, const std::function<bool()> &body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped = ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0;
    std::_Exit(dropped && body() ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr uid_t kPlayer = 4242;

// A player's home and cache in one temporary folder; the program is started
// from `start`, which must stay as it is.
struct TrashBed {
  TemporaryFolder root;
  const std::string home = root / "home";
  const std::string dataHome = home + "/.local/share";
  const std::string cache = root / "cache";
  const std::string start = root / "start";

  TrashBed() {
    ::chmod(root.path().c_str(), 0755);
    makeFolders(home);
    makeFolders(cache);
    makeFolders(start);
    writeFile(cache + "/G0.uxx", "package");
  }
  std::optional<std::string> put(uid_t user) const {
    const FileDescriptor folder = openFolder(cache);
    return DesktopTrash(dataHome, user).put(folder.get(), cache, "G0.uxx");
  }
};

struct TrashShape {
  const char *label;
  std::function<void(const TrashBed &)> lay;
  bool taken;
  bool asPlayer = false; // run as a user who is not root
};

void givePlayer(const std::string &path) {
  for (const auto &entry : fs::recursive_directory_iterator(path))
    ::lchown(entry.path().c_str(), kPlayer, kPlayer);
  ::lchown(path.c_str(), kPlayer, kPlayer);
}

// The home and the cache the player's, with a Trash already there.
void playersTrash(const TrashBed &bed) {
  makeFolders(bed.dataHome + "/Trash/info");
  makeFolders(bed.dataHome + "/Trash/files");
  givePlayer(bed.home);
  givePlayer(bed.cache);
}

TEST(DesktopTrash, EndsInARealTrashOrTakesNothing) {
  const std::vector<TrashShape> shapes = {
      {"a Trash already there", [](const TrashBed &bed) { makeFolders(bed.dataHome + "/Trash/files"); }, true},
      {"no ~/.local/share: it is made", [](const TrashBed &) {}, true},
      {"~/.local a file", [](const TrashBed &bed) { writeFile(bed.home + "/.local", ""); }, false},
      {"Trash a file",
       [](const TrashBed &bed) {
         makeFolders(bed.dataHome);
         writeFile(bed.dataHome + "/Trash", "");
       },
       false},
      {"Trash a dangling link",
       [](const TrashBed &bed) {
         makeFolders(bed.dataHome);
         fs::create_symlink(bed.root / "nowhere", bed.dataHome + "/Trash");
       },
       false},
      {"Trash a link to a folder outside",
       [](const TrashBed &bed) {
         makeFolders(bed.root / "outside");
         makeFolders(bed.dataHome);
         fs::create_symlink(bed.root / "outside", bed.dataHome + "/Trash");
       },
       false},
      {"Trash a link to /",
       [](const TrashBed &bed) {
         makeFolders(bed.dataHome);
         fs::create_symlink("/", bed.dataHome + "/Trash");
       },
       false},
      {"info a file",
       [](const TrashBed &bed) {
         makeFolders(bed.dataHome + "/Trash/files");
         writeFile(bed.dataHome + "/Trash/info", "");
       },
       false},
      {"files a link",
       [](const TrashBed &bed) {
         makeFolders(bed.dataHome + "/Trash/info");
         makeFolders(bed.root / "outside");
         fs::create_symlink(bed.root / "outside", bed.dataHome + "/Trash/files");
       },
       false},
      {"info read-only",
       [](const TrashBed &bed) {
         playersTrash(bed);
         ::chmod((bed.dataHome + "/Trash/info").c_str(), 0500);
       },
       false, true},
      {"info owned by root after a file manager ran with sudo",
       [](const TrashBed &bed) {
         playersTrash(bed);
         ::lchown((bed.dataHome + "/Trash/info").c_str(), 0, 0);
         ::chmod((bed.dataHome + "/Trash/info").c_str(), 0755);
       },
       false, true},
      {"the player's own Trash",
       [](const TrashBed &bed) {
         givePlayer(bed.home);
         givePlayer(bed.cache);
       },
       true, true},
  };
  for (const TrashShape &shape : shapes) {
    const TrashBed bed;
    shape.lay(bed);
    const std::set<std::string> before = listing(bed.root.path());
    const fs::path startedIn = fs::current_path();
    fs::current_path(bed.start);
    bool taken = false;
    if (shape.asPlayer)
      taken = asUser(kPlayer, [&bed] { return !bed.put(kPlayer); });
    else
      taken = !bed.put(::geteuid());
    fs::current_path(startedIn);

    EXPECT_EQ(taken, shape.taken) << shape.label;
    EXPECT_TRUE(fs::is_empty(bed.start)) << shape.label << ": nothing is made where the program started";
    if (!shape.taken) {
      EXPECT_EQ(listing(bed.root.path()), before) << shape.label << ": nothing changed";
      continue;
    }
    EXPECT_FALSE(exists(bed.cache + "/G0.uxx")) << shape.label;
    EXPECT_EQ(readFile(bed.dataHome + "/Trash/files/G0.uxx"), "package") << shape.label;
    const std::string info = readFile(bed.dataHome + "/Trash/info/G0.uxx.trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + bed.cache + "/G0.uxx\nDeletionDate=20")) << info;
  }
}

TEST(DesktopTrash, ANameTheTrashHoldsGetsANumber) {
  const TrashBed bed;
  makeFolders(bed.dataHome + "/Trash/files");
  makeFolders(bed.dataHome + "/Trash/info");
  writeFile(bed.dataHome + "/Trash/files/G0.uxx", "an older one");
  writeFile(bed.dataHome + "/Trash/info/G0.2.uxx.trashinfo", "a file restored without its entry");
  EXPECT_EQ(bed.put(::geteuid()), std::nullopt);
  EXPECT_EQ(readFile(bed.dataHome + "/Trash/files/G0.uxx"), "an older one");
  EXPECT_EQ(readFile(bed.dataHome + "/Trash/files/G0.3.uxx"), "package");
  EXPECT_TRUE(exists(bed.dataHome + "/Trash/info/G0.3.uxx.trashinfo"));
  EXPECT_FALSE(exists(bed.dataHome + "/Trash/files/G0.2.uxx"));
}

TEST(DesktopTrash, PathsInTheTrashAreEscaped) {
  const TrashBed bed;
  writeFile(bed.cache + "/a b%\xE9.uxx", "package");
  const FileDescriptor folder = openFolder(bed.cache);
  EXPECT_EQ(DesktopTrash(bed.dataHome, ::geteuid()).put(folder.get(), bed.cache, "a b%\xE9.uxx"), std::nullopt);
  const std::string info = readFile(bed.dataHome + "/Trash/info/a b%\xE9.uxx.trashinfo");
  EXPECT_NE(info.find("Path=" + bed.cache + "/a%20b%25%E9.uxx\n"), std::string::npos) << info;
}

// A cache on another volume goes to that volume's Trash, never across.
TEST(DesktopTrash, ACacheOnAnotherVolumeUsesThatVolumesTrash) {
  struct VolumeShape {
    const char *label;
    std::function<void(const std::string &top)> lay;
    const char *trash; // where the file goes, from the top; nullptr for nowhere
  };
  const std::string uid = std::to_string(::geteuid());
  const std::vector<VolumeShape> shapes = {
      {"no Trash yet", [](const std::string &) {}, ".Trash-"},
      {"a sticky .Trash",
       [](const std::string &top) {
         makeFolders(top + "/.Trash");
         ::chmod((top + "/.Trash").c_str(), 01777);
       },
       ".Trash/"},
      {"a .Trash that is not sticky", [](const std::string &top) { makeFolders(top + "/.Trash"); }, ".Trash-"},
      {"a .Trash-$UID that is a link",
       [uid](const std::string &top) {
         makeFolders(top + "/elsewhere");
         fs::create_symlink(top + "/elsewhere", top + "/.Trash-" + uid);
       },
       nullptr},
  };
  for (const VolumeShape &shape : shapes) {
    const TrashBed bed;
    const std::string top = bed.root / "volume";
    makeFolders(top);
    if (::mount("tmpfs", top.c_str(), "tmpfs", 0, "size=1m") != 0)
      GTEST_SKIP() << "another volume needs the right to mount";
    struct Unmount {
      std::string path;
      ~Unmount() { ::umount(path.c_str()); }
    } const unmount{top};
    makeFolders(top + "/Games/Cache");
    writeFile(top + "/Games/Cache/G0.uxx", "package");
    shape.lay(top);

    const FileDescriptor folder = openFolder(top + "/Games/Cache");
    const bool taken = !DesktopTrash(bed.dataHome, ::geteuid()).put(folder.get(), top + "/Games/Cache", "G0.uxx");

    EXPECT_EQ(taken, shape.trash != nullptr) << shape.label;
    EXPECT_FALSE(exists(bed.dataHome + "/Trash/files/G0.uxx")) << shape.label << ": never copied home";
    if (!shape.trash) {
      EXPECT_EQ(readFile(top + "/Games/Cache/G0.uxx"), "package") << shape.label;
      continue;
    }
    const std::string trash = top + "/" + shape.trash + uid;
    EXPECT_EQ(readFile(trash + "/files/G0.uxx"), "package") << shape.label;
    EXPECT_TRUE(readFile(trash + "/info/G0.uxx.trashinfo").find("\nPath=Games/Cache/G0.uxx\n") != std::string::npos)
        << shape.label << ": named from the volume's top";
  }
}

} // namespace
