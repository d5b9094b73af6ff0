#include "toolkit/tab_order.h"

#include <algorithm>

namespace tk {
namespace {

bool Reachable(const TabEntry& e) { return e.tab_stop && e.visible && e.enabled; }

}  // namespace

std::vector<size_t> TabOrder(const std::vector<TabEntry>& entries) {
  std::vector<size_t> order;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].tab_stop) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return entries[a].tab_index < entries[b].tab_index;
  });
  return order;
}

std::optional<size_t> FirstTabStop(const std::vector<TabEntry>& entries) {
  for (size_t i : TabOrder(entries)) {
    if (Reachable(entries[i])) return i;
  }
  return std::nullopt;
}

std::optional<size_t> NextTabStop(const std::vector<TabEntry>& entries,
                                  std::optional<size_t> current, bool backwards) {
  const std::vector<size_t> order = TabOrder(entries);
  if (order.empty()) return std::nullopt;
  const size_t n = order.size();
  size_t start;  // position in `order` from which the walk begins (exclusive)
  auto at = current ? std::find(order.begin(), order.end(), *current) : order.end();
  if (at != order.end()) {
    start = size_t(at - order.begin());
  } else {
    start = backwards ? 0 : n - 1;  // so that the first step lands on the last / first
  }
  for (size_t step = 1; step <= n; ++step) {
    const size_t pos = backwards ? (start + n - step) % n : (start + step) % n;
    if (Reachable(entries[order[pos]])) return order[pos];
  }
  return std::nullopt;
}

}  // namespace tk
