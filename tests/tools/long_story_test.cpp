// The long story the tests and the benchmark generate: a folder the game
// loads and the check passes, of exactly the rows and choices asked for.
#include "data/long_story.h"

#include <gtest/gtest.h>

#include <set>

#include "assets/data_folder.h"
#include "authoring/check.h"
#include "platform/common/disk_files.h"
#include "script/tables.h"
#include "test_support.h"

namespace vm::datatool {
namespace {

TEST(LongStory, HoldsTheRowsAndChoicesAskedForAndEveryTargetResolves) {
  for (const LongStoryShape shape : {LongStoryShape{2879, 100}, LongStoryShape{40, 1},
                                     LongStoryShape{30, 2}, LongStoryShape{100000, 5000}}) {
    const LongStoryText text = long_story_text(shape);
    ScriptTables t;
    LoadReport report;
    load_tables(t, text.script, text.choices, &report);
    EXPECT_TRUE(report.errors.empty()) << report.errors.front().describe();
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(t.Script_Table.size(), static_cast<size_t>(shape.rows));
    EXPECT_EQ(t.SCT.size(), static_cast<size_t>(2 * shape.choices));
    std::set<int> keys;
    for (const ChoiceRow& c : t.SCT) {
      EXPECT_TRUE(c.resolved) << c.target_num;
      keys.insert(c.key);
    }
    EXPECT_EQ(keys.size(), static_cast<size_t>(shape.choices));
    // Every scene's NUM is above the one before: the index search finds them.
    for (int32_t k = 1; k < t.Scene_Count; ++k)
      EXPECT_LT(t.Scene_Index[k - 1].key, t.Scene_Index[k].key);
    for (int32_t i = 0; i < t.Script_Last; ++i) {
      const ScriptRow& r = t.Script_Table[static_cast<size_t>(i)];
      if (r.cmd == "g0" || r.cmd == "i1") EXPECT_GE(find_num(t, r.jump), 0) << r.line;
    }
  }
  EXPECT_THROW(long_story_text({100, 5001}), std::invalid_argument);
  EXPECT_THROW(long_story_text({100, 100}), std::invalid_argument);
}

TEST(LongStory, TheWrittenFolderPassesTheCheck) {
  test::TempDir dir;
  DiskFiles disk;
  write_long_story(disk, dir / "long", {2879, 100});
  const std::vector<Finding> found = check_folder(disk, dir / "long");
  for (const Finding& f : found) ADD_FAILURE() << f.line;
}

}  // namespace
}  // namespace vm::datatool
