#include "app/app_controller.h"

#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// Every file and folder below `root` outside the folders `except`, with its
// bytes.
std::map<std::string, std::string> snapshot(const std::string &root, const std::vector<std::string> &except) {
  std::map<std::string, std::string> files;
  for (auto entry = fs::recursive_directory_iterator(root); entry != fs::recursive_directory_iterator(); ++entry) {
    const std::string path = entry->path().string();
    if (std::find(except.begin(), except.end(), path) != except.end()) {
      entry.disable_recursion_pending();
      continue;
    }
    files[path] = entry->is_regular_file() ? readFile(path) : "<folder>";
  }
  return files;
}

TEST(HostileNames, NothingOutsideTheCacheAndTheInstallationIsTouched) {
  const std::string longName(300, 'x');
  const std::string controlName = "\x1b[31mred\x7f\xff\t.u";
  for (const bool sameVolume : {false, true}) {
    const Sandbox sandbox(sameVolume ? "Games" : "");
    const std::string bundle = sandbox.addInstallation("Games");
    const std::string outside = sandbox.root() + "/outside";
    makeFolders(outside);
    writeFile(outside + "/secret.uxx", "not a cached package");
    writeFile(outside + "/x.u", "someone else's file");
    const std::string up = "../../../../../../../../";
    sandbox.writeCachedFile("A", "a");
    sandbox.writeCachedFile("C", "control");
    sandbox.writeCachedFile("L", "long");
    sandbox.writeIndex("[Cache]\n"
                       "A=" +
                       up + "outside/x.u\n" + up +
                       "outside/secret=S.u\n"
                       "A=/../../x.ut2\n"
                       "A=/tmp/absolute.u\n"
                       "/etc/hostname=H.u\n"
                       "L=" +
                       longName + ".u\n" + longName +
                       "=Long.u\n"
                       "C=" +
                       controlName + "\n");
    const auto before = snapshot(sandbox.root(), {sandbox.cacheDirectory(), bundle});

    StartedController started(sandbox.locations());
    AppController &controller = started.controller;
    controller.selectAll();
    controller.moveFiles();

    const char *label = sameVolume ? "rename" : "copy";
    EXPECT_EQ(snapshot(sandbox.root(), {sandbox.cacheDirectory(), bundle}), before) << label;
    EXPECT_EQ(readFile(bundle + "/System/" + controlName), "control") << label;
    EXPECT_FALSE(exists(sandbox.cachedFile("C"))) << label;
    EXPECT_EQ(readFile(sandbox.cachedFile("A")), "a") << label;
    EXPECT_EQ(readFile(sandbox.cachedFile("L")), "long") << label;
    std::vector<std::string> installed;
    for (const auto &entry : fs::recursive_directory_iterator(bundle)) {
      if (entry.is_regular_file())
        installed.push_back(entry.path().string());
    }
    EXPECT_EQ(installed, (std::vector<std::string>{bundle + "/System/" + controlName})) << label;
    EXPECT_EQ(started.window.eventsStartingWith("alert: Refused").size(), 3u) << label;
    EXPECT_EQ(controller.system.size(), 6u) << label;
    EXPECT_NE(readFile(sandbox.cacheFile()).find("\n" + up + "outside/secret=S.u\n"), std::string::npos)
        << "a refused entry stays in the index";
  }
}

} // namespace
