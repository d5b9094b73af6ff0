#include "toolkit/tab_order.h"

#include <gtest/gtest.h>

#include <string>

#include "test_files.h"
#include "toolkit/layout.h"

namespace tk {
namespace {

// MainWindow's controls in creation order, from the shipped layout.
struct MainWindowTabs {
  MainWindowTabs() {
    LayoutSet set;
    std::string error;
    EXPECT_TRUE(set.Add(ReadFile(std::string(TAVRIN_LAYOUT_DIR) + "/MainWindow.layout"), &error))
        << error;
    const WindowLayout& w = *set.Find("MainWindow");
    for (auto it = w.controls.rbegin(); it != w.controls.rend(); ++it) {
      names.push_back(it->name);
      entries.push_back({it->tab_index, it->tab_stop && IsWindowedKind(it->kind), true, true});
    }
  }
  size_t Index(const std::string& name) const {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i;
    }
    ADD_FAILURE() << "no control " << name;
    return 0;
  }
  std::vector<std::string> names;
  std::vector<TabEntry> entries;
};

const std::vector<std::string> kOrder = {"按钮1", "编辑框2", "编辑框1", "编辑框3",
                                         "按钮2", "编辑框4", "选择框1", "按钮3"};

TEST(TabOrder, MainWindowOrderIsCreationOrderOfTabStops) {
  const MainWindowTabs w;
  std::vector<std::string> got;
  for (size_t i : TabOrder(w.entries)) got.push_back(w.names[i]);
  EXPECT_EQ(got, kOrder);
  EXPECT_EQ(w.names[*FirstTabStop(w.entries)], "按钮1");
}

TEST(TabOrder, TabAndShiftTabWalkAndWrap) {
  const MainWindowTabs w;
  std::optional<size_t> at = w.Index("按钮1");
  for (size_t step = 1; step <= kOrder.size(); ++step) {
    at = NextTabStop(w.entries, at, false);
    ASSERT_TRUE(at);
    EXPECT_EQ(w.names[*at], kOrder[step % kOrder.size()]);
  }
  at = w.Index("按钮1");
  for (size_t step = 1; step <= kOrder.size(); ++step) {
    at = NextTabStop(w.entries, at, true);
    ASSERT_TRUE(at);
    EXPECT_EQ(w.names[*at], kOrder[(kOrder.size() * 2 - step) % kOrder.size()]);
  }
}

TEST(TabOrder, DisabledOrHiddenControlsAreSkipped) {
  MainWindowTabs w;
  w.entries[w.Index("按钮2")].enabled = false;
  EXPECT_EQ(w.names[*NextTabStop(w.entries, w.Index("编辑框3"), false)], "编辑框4");
  EXPECT_EQ(w.names[*NextTabStop(w.entries, w.Index("编辑框4"), true)], "编辑框3");
  w.entries[w.Index("按钮1")].visible = false;
  EXPECT_EQ(w.names[*FirstTabStop(w.entries)], "编辑框2");
  EXPECT_EQ(w.names[*NextTabStop(w.entries, w.Index("按钮3"), false)], "编辑框2");
}

TEST(TabOrder, FromNowhereAndWithNothingToReach) {
  const MainWindowTabs w;
  EXPECT_EQ(w.names[*NextTabStop(w.entries, std::nullopt, false)], "按钮1");
  EXPECT_EQ(w.names[*NextTabStop(w.entries, std::nullopt, true)], "按钮3");
  // A label has the focus (it cannot, but the walk must still start somewhere sensible).
  EXPECT_EQ(w.names[*NextTabStop(w.entries, w.Index("标签1"), false)], "按钮1");

  const std::vector<TabEntry> splash = {{0, false, true, true}};  // a picture box only
  EXPECT_FALSE(FirstTabStop(splash));
  EXPECT_FALSE(NextTabStop(splash, std::nullopt, false));
  EXPECT_FALSE(NextTabStop({}, std::nullopt, true));

  const std::vector<TabEntry> lone = {{0, true, true, true}, {0, true, true, false}};
  EXPECT_EQ(NextTabStop(lone, 0, false), 0u);  // the only reachable one stays
}

TEST(TabOrder, TabIndexBeforeCreationOrder) {
  const std::vector<TabEntry> entries = {
      {2, true, true, true}, {1, true, true, true}, {1, true, true, true}, {0, true, true, true}};
  EXPECT_EQ(TabOrder(entries), (std::vector<size_t>{3, 1, 2, 0}));
  EXPECT_EQ(FirstTabStop(entries), 3u);
}

}  // namespace
}  // namespace tk
