#include "base/line_diff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// b rebuilt from a and the runs that differ.
std::string patched(std::string_view a, std::string_view b, const std::vector<line_hunk>& hunks) {
  const std::vector<std::string_view> a_lines = split_lines(a), b_lines = split_lines(b);
  std::string out;
  std::size_t at = 0;
  for (const line_hunk& h : hunks) {
    for (; at < h.a_begin; ++at) out += a_lines[at];
    for (std::size_t i = h.b_begin; i < h.b_end; ++i) out += b_lines[i];
    at = h.a_end;
  }
  for (; at < a_lines.size(); ++at) out += a_lines[at];
  return out;
}

}  // namespace

// On random texts with random line edits, every break kind among them: the
// runs turn a into b, are in order with alike lines between them, and change
// no more lines than the edits did; past the search limit they still do the
// first two.
TEST(LineDiff, RunsTurnOneTextIntoTheOtherWithNoMoreChangesThanMade) {
  std::mt19937 rng(26);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* const breaks[] = {"\n", "\r\n", "\r"};
  const auto line = [&] { return std::string(1, static_cast<char>('a' + pick(4))) + breaks[pick(3)]; };
  for (int round = 0; round < 400; ++round) {
    std::vector<std::string> a_lines(static_cast<std::size_t>(pick(60)));
    for (std::string& l : a_lines) l = line();
    std::vector<std::string> b_lines = a_lines;
    const int edits = pick(8);
    for (int e = 0; e < edits; ++e) {
      const auto at = static_cast<std::ptrdiff_t>(pick(static_cast<int>(b_lines.size()) + 1));
      if (pick(2) == 0 || b_lines.empty() || at == static_cast<std::ptrdiff_t>(b_lines.size())) {
        b_lines.insert(b_lines.begin() + at, line());
      } else {
        b_lines.erase(b_lines.begin() + at);
      }
    }
    std::string a, b;
    for (const std::string& l : a_lines) a += l;
    for (const std::string& l : b_lines) b += l;
    const bool cut = pick(5) == 0 && !b.empty();
    if (cut) b.pop_back();  // a last line without its break: one line more out and in

    const std::vector<line_hunk> hunks = line_hunks(a, b);
    ASSERT_EQ(patched(a, b, hunks), b) << round;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < hunks.size(); ++i) {
      const line_hunk& h = hunks[i];
      EXPECT_TRUE(h.a_begin < h.a_end || h.b_begin < h.b_end);
      if (i > 0) EXPECT_GT(h.a_begin, hunks[i - 1].a_end);
      changed += (h.a_end - h.a_begin) + (h.b_end - h.b_begin);
    }
    EXPECT_LE(changed, static_cast<std::size_t>(edits + (cut ? 2 : 0))) << round;
    EXPECT_EQ(patched(a, b, line_hunks(a, b, 1)), b) << round;
  }
  EXPECT_TRUE(line_hunks("x\ny\n", "x\ny\n").empty());
  EXPECT_EQ(line_hunks("x\r\ny\n", "x\ny\n"), (std::vector<line_hunk>{{0, 1, 0, 1}}));
}
