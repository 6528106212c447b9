#include "app/app_controller.h"

#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

namespace {

const HeaderColumn kTick("");
const HeaderColumn kUtName("UT Name");
const HeaderColumn kCacheName("Cache Name");

class DataSource : public ::testing::Test {
protected:
  DataSource() {
    sandbox.addInstallation("Games");
    sandbox.writeIndex("[Cache]\nM0=DM-0.ut2\nM1=DM-1.ut2\nM2=DM-2.ut2\nM3=DM-3.ut2\nM4=DM-4.ut2\n"
                       "X0=Sky.utx\nX1=Sand.utx\n");
    window.connect(controller);
    controller.awakeFromNib();
  }

  TableView *maps() { return &window.tables[2]; }
  TableView *textures() { return &window.tables[7]; }

  Sandbox sandbox;
  RecordingWindow window;
  AppController controller{window.platform, sandbox.locations()};
};

TEST_F(DataSource, AnswersRowCountsAndCells) {
  EXPECT_EQ(controller.numberOfRowsInTableView(maps()), 5);
  EXPECT_EQ(controller.numberOfRowsInTableView(&window.tables[0]), 0);
  EXPECT_EQ(controller.objectValueForTableColumn(maps(), kTick, 1), CellValue(0));
  EXPECT_EQ(controller.objectValueForTableColumn(maps(), kUtName, 1), CellValue("DM-1.ut2"));
  EXPECT_EQ(controller.objectValueForTableColumn(maps(), kCacheName, 1), CellValue("M1"));
  EXPECT_EQ(controller.objectValueForTableColumn(textures(), kUtName, 0), CellValue("Sky.utx"));
}

TEST_F(DataSource, AnswersNothingForUnknownTablesColumnsAndRows) {
  RecordingTable stranger("Stranger", window.log);
  EXPECT_EQ(controller.numberOfRowsInTableView(&stranger), 0);
  EXPECT_EQ(controller.numberOfRowsInTableView(nullptr), 0);
  EXPECT_EQ(controller.objectValueForTableColumn(&stranger, kUtName, 0), std::nullopt);
  EXPECT_EQ(controller.objectValueForTableColumn(maps(), HeaderColumn("ut name"), 0), std::nullopt);
  EXPECT_EQ(controller.objectValueForTableColumn(maps(), HeaderColumn("Size"), 0), std::nullopt);
  for (const int row : {5, 6, -1, 1 << 30})
    EXPECT_EQ(controller.objectValueForTableColumn(maps(), kUtName, row), std::nullopt) << row;
}

TEST_F(DataSource, TicksOneEntryInPlaceAndReloadsOnlyItsTable) {
  const std::vector<CacheEntry> before = controller.maps;
  controller.setObjectValue(maps(), 1, kTick, 3);

  std::vector<CacheEntry> expected = before;
  expected[3].selected = 1;
  EXPECT_EQ(controller.maps, expected);
  EXPECT_EQ(window.log, (EventLog{"reload Maps"}));

  controller.setObjectValue(maps(), 0, kTick, 3);
  EXPECT_EQ(controller.maps, before);
  controller.setObjectValue(maps(), 7, kTick, 0);
  EXPECT_EQ(controller.maps[0].selected, 7) << "the value handed in is stored unchanged";
}

TEST_F(DataSource, DropsValuesThatChangeNothing) {
  RecordingTable stranger("Stranger", window.log);
  const std::vector<CacheEntry> before = controller.maps;
  controller.setObjectValue(maps(), 1, kUtName, 0);
  controller.setObjectValue(maps(), 1, kCacheName, 0);
  controller.setObjectValue(maps(), 1, kTick, 5);
  controller.setObjectValue(maps(), 1, kTick, -1);
  controller.setObjectValue(&stranger, 1, kTick, 0);
  EXPECT_EQ(controller.maps, before);
  EXPECT_TRUE(window.log.empty());
}

TEST_F(DataSource, SelectAllTicksEveryListAndReloadsEveryTableInOrder) {
  controller.setObjectValue(maps(), 1, kTick, 2);
  window.log.clear();
  controller.selectAll();
  controller.selectAll();
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    for (const CacheEntry &entry : controller.listAt(index))
      EXPECT_EQ(entry.selected, 1);
  }
  EXPECT_EQ(controller.maps.size(), 5u);
  EXPECT_EQ(controller.maps[4], (CacheEntry{1, "DM-4.ut2", "M4"}));
  const EventLog once = {"reload Animations", "reload KarmaData",    "reload Maps",   "reload Music",
                         "reload Sounds",     "reload StaticMeshes", "reload System", "reload Textures"};
  EventLog twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(window.log, twice);

  // Untick All is the same in reverse, and many ticks at once reload their
  // table once.
  window.log.clear();
  controller.untickAll();
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    for (const CacheEntry &entry : controller.listAt(index))
      EXPECT_EQ(entry.selected, 0);
  }
  EXPECT_EQ(window.log, once);
  window.log.clear();
  controller.setTicks(maps(), {0, 3, 9, -1}, 1);
  EXPECT_EQ(controller.maps[3], (CacheEntry{1, "DM-3.ut2", "M3"}));
  EXPECT_EQ(controller.maps[1].selected, 0);
  EXPECT_EQ(window.log, (EventLog{"reload Maps"})) << "rows beyond the list are passed over";
}

TEST_F(DataSource, SelectAllCurrentTicksOnlyTheShownTab) {
  struct TabCase {
    int shown;
    EventLog expected;
  };
  const std::vector<TabCase> cases = {
      {2, {"reload Maps"}}, {7, {"reload Textures"}}, {0, {"reload Animations"}}, {8, {}}, {-1, {}}, {100, {}},
  };
  for (const TabCase &testCase : cases) {
    controller.awakeFromNib();
    window.log.clear();
    window.tab.shown = testCase.shown;
    controller.selectAllCurrent();
    EXPECT_EQ(window.log, testCase.expected) << testCase.shown;
    const bool mapsTicked = testCase.shown == 2;
    const bool texturesTicked = testCase.shown == 7;
    for (const CacheEntry &entry : controller.maps)
      EXPECT_EQ(entry.selected, mapsTicked ? 1 : 0) << testCase.shown;
    for (const CacheEntry &entry : controller.textures)
      EXPECT_EQ(entry.selected, texturesTicked ? 1 : 0) << testCase.shown;
  }
}

} // namespace
