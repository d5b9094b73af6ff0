// Keyboard focus order among a window's controls: ascending tab-order value, ties in
// creation order, skipping what is not a visible, enabled tab stop.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace tk {

struct TabEntry {
  int tab_index = 0;
  bool tab_stop = false;
  bool visible = true;
  bool enabled = true;
};

// Entries are given in creation order; the result lists their positions in tab order.
std::vector<size_t> TabOrder(const std::vector<TabEntry>& entries);

// The focus target on activation when no earlier focus can be restored.
std::optional<size_t> FirstTabStop(const std::vector<TabEntry>& entries);

// The next (or, backwards, the previous) reachable entry after `current`, wrapping round.
// With no current entry, or one that is not itself in the order, Tab starts at the first
// and Shift+Tab at the last.
std::optional<size_t> NextTabStop(const std::vector<TabEntry>& entries,
                                  std::optional<size_t> current, bool backwards);

}  // namespace tk
