#include "window/move_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(MoveTexts, SizesAndCounts) {
  const std::vector<std::pair<std::uint64_t, std::string>> sizes = {
      {0, "0 bytes"},          {1, "1 byte"},         {1023, "1023 bytes"},      {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},       {10 * 1024, "10 KiB"}, {340ull << 20, "340 MiB"}, {(12ull << 30) / 10, "1.2 GiB"},
      {5ull << 50, "5.0 PiB"},
  };
  for (const auto &[bytes, text] : sizes)
    EXPECT_EQ(formatByteSize(bytes), text) << bytes;
  EXPECT_EQ(formatCount(0), "0");
  EXPECT_EQ(formatCount(999), "999");
  EXPECT_EQ(formatCount(1000), "1,000");
  EXPECT_EQ(formatCount(1234567), "1,234,567");
  EXPECT_EQ(countPackages(1), "1 package");
  EXPECT_EQ(countPackages(4000), "4,000 packages");
}

TEST(MoveTexts, ConfirmationSaysWhatMovesWhereAndWhatItReplaces) {
  MovePreview preview;
  preview.packages = 1234;
  preview.totalBytes = 340ull << 20;
  preview.missingFiles = 2;
  preview.replacements = 5;
  preview.differentReplacements = 2;
  preview.replaced = {
      {"Maps/A.ut2", true}, {"Maps/B.ut2", false}, {"Maps/C.ut2", true}, {"Maps/D.ut2", true}, {"Maps/E.ut2", false}};
  using Why = PreviewStay::Why;
  preview.staying = {{"DM-Gone.ut2", Why::NoCachedFile, 0},
                     {"B.ut2", Why::Differs, 10u << 20},
                     {"DM-Lost.ut2", Why::NoCachedFile, 0},
                     {"E.ut2", Why::Differs, 10u << 20}};
  const ConfirmationText text = confirmationText(
      preview, LocationParts{"", "~/Cache", "/Volumes/Games/Applications/Unreal Tournament 2004.app"}, 7);
  // What moves is counted with the different files kept, as the question
  // first offers.
  EXPECT_EQ(text.question, "Move 1,230 of 1,234 ticked packages (320 MiB) into the game?");
  EXPECT_EQ(text.explanation, "They go from ~/Cache to /Volumes/Games/Applications/Unreal Tournament 2004.app.\n\n"
                              "2 of them have no cached file and stay in the cache.\n\n"
                              "5 of them are in the game already (3 identical; 2 differ from the files in the "
                              "game):\nMaps/A.ut2\nMaps/B.ut2\nMaps/C.ut2\nand 2 more\n\n7 ticked packages are "
                              "hidden by the filter.");
  EXPECT_EQ(moveDetails(preview, MoveTextChoices{}),
            "Stay in the cache:\nDM-Gone.ut2: has no cached file\nB.ut2: differs from the file in the game, which is "
            "kept\nDM-Lost.ut2: has no cached file\nE.ut2: differs from the file in the game, which is kept\n\n"
            "In the game already:\nMaps/A.ut2: identical\nMaps/B.ut2: differs from the file in the game\n"
            "Maps/C.ut2: identical\nMaps/D.ut2: identical\nMaps/E.ut2: differs from the file in the game\n");
  // Unticking the keep box moves the different files too.
  const MoveTextChoices replacing{false, true};
  EXPECT_EQ(moveQuestion(preview, replacing), "Move 1,232 of 1,234 ticked packages (340 MiB) into the game?");
  EXPECT_EQ(moveDetails(preview, replacing).find("B.ut2: differs from the file in the game, which"), std::string::npos);

  preview.clashes = 2;
  preview.replaced = {{std::string(5000, 'L') + ".ut2", false}};
  const ConfirmationText clashes = confirmationText(preview, LocationParts{"Linux", "~/c", "/G"});
  EXPECT_NE(clashes.explanation.find("2 of them stay in the cache: an earlier ticked package goes to the same file"),
            std::string::npos);
  EXPECT_LT(clashes.explanation.size(), 1000u) << "a long name is cut";

  MovePreview single;
  single.packages = 1;
  single.totalBytes = 100;
  const ConfirmationText one = confirmationText(single, LocationParts{"Linux", "~/c", "/G"});
  EXPECT_EQ(one.question, "Move 1 package (100 bytes) into the game?");
  EXPECT_EQ(one.explanation, "They go from ~/c to /G (Linux).");
}

TEST(MoveTexts, ProgressAndReport) {
  EXPECT_EQ(progressLabel({3, 10, "DM-Example.ut2", 0, 0}), "Moving DM-Example.ut2 (3 of 10)");
  EXPECT_EQ(progressLabel({3, 40, "DM-Example.ut2", 120ull << 20, 500ull << 20}),
            "Copying DM-Example.ut2 (3 of 40): 120 of 500 MiB");
  EXPECT_LT(progressLabel({1, 1, std::string(1 << 20, 'x'), 0, 0}).size(), 300u);
  EXPECT_EQ(progressLabel({2, 5, "DM-Example.ut2", 1ull << 20, 4ull << 20, PackageAction::Export}),
            "Compressing DM-Example.ut2 (2 of 5): 1 of 4 MiB");
  EXPECT_EQ(progressLabel({2, 5, "Sky.utx", 0, 0, PackageAction::Copy}), "Copying Sky.utx (2 of 5)");
  MoveReport report;
  report.moved.resize(54);
  EXPECT_EQ(reportSummary(report), "Moved 54 packages into the game");
  report.stayed.resize(3);
  EXPECT_EQ(reportSummary(report), "Moved 54 packages into the game; 3 stayed in the cache");
  report.action = MoveReport::Action::Export;
  EXPECT_EQ(reportSummary(report), "Exported 54 packages; 3 left out");
  report.action = MoveReport::Action::Copy;
  report.cancelled = true;
  report.handled = 57;
  report.planned = 60;
  EXPECT_EQ(reportSummary(report), "Cancelled after 57 of 60 packages: copied 54 packages; 3 left out");
}

} // namespace

TEST(MoveTexts, AGameFolderThatCannotBeWrittenIsNamedWithItsFolders) {
  MovePreview preview;
  preview.packages = 3;
  preview.unwritableFolders = {"Maps", "Textures"};
  const ConfirmationText text =
      unwritableText(preview, LocationParts{"Linux", "~/.ut2004/Cache", "/usr/local/games/ut2004"});
  EXPECT_EQ(text.question, "Cannot move into the game: its folders cannot be written");
  EXPECT_EQ(text.explanation,
            "These folders of /usr/local/games/ut2004 cannot be written by you, or are missing: Maps, Textures.\n\n"
            "Nothing was moved. Move the packages as a user who may write there, or choose another game folder "
            "(File > Choose Game Folder…).");
}

TEST(MoveTexts, TheQuestionCountsWhatStaysForItsFolderOrItsName) {
  MovePreview preview;
  preview.packages = 5;
  preview.unwritableFolders = {"Music", "Sounds"};
  preview.inUnwritableFolders = 2;
  preview.tooLongNames = 1;
  const std::string explanation =
      confirmationText(preview, LocationParts{"Linux", "~/.ut2004/Cache", "/usr/local/games/ut2004"}).explanation;
  EXPECT_NE(explanation.find("2 of them stay in the cache: the folders Music and Sounds are missing from the game or "
                             "cannot be written by you."),
            std::string::npos)
      << explanation;
  EXPECT_NE(explanation.find("1 name is too long for the game's folder and will stay in the cache."), std::string::npos)
      << explanation;
}
