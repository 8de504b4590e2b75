#include "base/line_diff.h"

#include <algorithm>
#include <cstdint>

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lone_cr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
    if (text[i] == '\n' || lone_cr) {
      lines.push_back(text.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

namespace {

using lines_t = std::vector<std::string_view>;

// A run of alike lines: a[x + i] == b[y + i] for i below length.
struct alike_run {
  std::size_t x, y, length;
};

// The greedy search for the fewest edits: for each count d of lines taken
// out or put in, how far along a each diagonal k = x - y gets, the alike
// lines followed as far as they go. The furthest points of each round are
// kept, to walk back from the end to the start along the runs taken.
// a and b are the parts between the alike ends; false past max_edits.
bool alike_runs(const lines_t& a, const lines_t& b, std::size_t max_edits, std::vector<alike_run>& runs) {
  const auto n = static_cast<std::int64_t>(a.size()), m = static_cast<std::int64_t>(b.size());
  const std::int64_t most = std::min<std::int64_t>(n + m, static_cast<std::int64_t>(max_edits));
  std::vector<std::vector<std::int64_t>> rounds;  // rounds[d][k + d]: furthest x on diagonal k
  std::vector<std::int64_t> far(static_cast<std::size_t>(2 * most + 3), 0);
  const std::int64_t mid = most + 1;  // far[mid + k] is diagonal k
  std::int64_t end_round = -1;
  for (std::int64_t d = 0; d <= most && end_round < 0; ++d) {
    for (std::int64_t k = -d; k <= d; k += 2) {
      const bool down = k == -d || (k != d && far[mid + k - 1] < far[mid + k + 1]);
      std::int64_t x = down ? far[mid + k + 1] : far[mid + k - 1] + 1;
      std::int64_t y = x - k;
      while (x < n && y < m && a[x] == b[y]) {
        ++x;
        ++y;
      }
      far[mid + k] = x;
      if (x >= n && y >= m) end_round = d;
    }
    rounds.emplace_back(far.begin() + mid - d, far.begin() + mid + d + 1);
  }
  if (end_round < 0) return false;

  // Walking back: each round's edit, then the alike run that followed it.
  std::int64_t x = n, y = m;
  for (std::int64_t d = end_round; d > 0; --d) {
    const std::vector<std::int64_t>& before = rounds[static_cast<std::size_t>(d - 1)];
    const auto at = [&](std::int64_t k) { return before[static_cast<std::size_t>(k + d - 1)]; };
    const std::int64_t k = x - y;
    const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
    const std::int64_t from_k = down ? k + 1 : k - 1;
    const std::int64_t from_x = at(from_k), from_y = from_x - from_k;
    const std::int64_t run_x = down ? from_x : from_x + 1, run_y = run_x - k;
    if (x > run_x) {
      runs.push_back({static_cast<std::size_t>(run_x), static_cast<std::size_t>(run_y),
                      static_cast<std::size_t>(x - run_x)});
    }
    x = from_x;
    y = from_y;
  }
  if (x > 0) runs.push_back({0, 0, static_cast<std::size_t>(x)});
  std::reverse(runs.begin(), runs.end());
  return true;
}

}  // namespace

std::vector<line_hunk> line_hunks(std::string_view a_text, std::string_view b_text, std::size_t max_edits) {
  const lines_t a_all = split_lines(a_text), b_all = split_lines(b_text);
  std::size_t head = 0;
  while (head < a_all.size() && head < b_all.size() && a_all[head] == b_all[head]) ++head;
  std::size_t tail = 0;
  while (tail < a_all.size() - head && tail < b_all.size() - head &&
         a_all[a_all.size() - 1 - tail] == b_all[b_all.size() - 1 - tail]) {
    ++tail;
  }
  const lines_t a(a_all.begin() + static_cast<std::ptrdiff_t>(head),
                  a_all.end() - static_cast<std::ptrdiff_t>(tail));
  const lines_t b(b_all.begin() + static_cast<std::ptrdiff_t>(head),
                  b_all.end() - static_cast<std::ptrdiff_t>(tail));
  std::vector<line_hunk> hunks;
  if (a.empty() && b.empty()) return hunks;
  std::vector<alike_run> runs;
  if (!alike_runs(a, b, max_edits, runs)) runs.clear();
  runs.push_back({a.size(), b.size(), 0});  // the end, so the last gap closes
  std::size_t x = 0, y = 0;
  for (const alike_run& r : runs) {
    if (r.x > x || r.y > y) hunks.push_back({head + x, head + r.x, head + y, head + r.y});
    x = r.x + r.length;
    y = r.y + r.length;
  }
  return hunks;
}
