// Display colours and the pseudo-random numbers that pick them.
#pragma once

#include <cstdint>

// RGB with red in the low byte, green next, blue next.
using colour_t = std::uint32_t;

constexpr colour_t make_rgb(int r, int g, int b) {
  return static_cast<colour_t>(r & 0xff) | (static_cast<colour_t>(g & 0xff) << 8) |
         (static_cast<colour_t>(b & 0xff) << 16);
}
constexpr int colour_red(colour_t c) { return static_cast<int>(c & 0xff); }
constexpr int colour_green(colour_t c) { return static_cast<int>((c >> 8) & 0xff); }
constexpr int colour_blue(colour_t c) { return static_cast<int>((c >> 16) & 0xff); }

// A small deterministic generator (0..32767), so a run can be repeated.
int veld_rand();
void veld_srand(unsigned seed);

// A face colour: three draws give blue, green and red, each (r mod 15) * 10.
colour_t random_colour();
