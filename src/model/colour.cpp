#include "model/colour.h"

namespace {
// The generator state; veld_srand(1) restores the start. Written for every
// face read, so it starts a cache line of its own, away from what other
// threads read meanwhile.
alignas(64) unsigned rand_state = 1;
}  // namespace

// A linear congruential generator with the widely published multiplier,
// increment and 15-bit output of a common C library's rand().
int veld_rand() {
  rand_state = rand_state * 214013u + 2531011u;
  return static_cast<int>((rand_state >> 16) & 0x7fff);
}

void veld_srand(unsigned seed) { rand_state = seed; }

colour_t random_colour() {
  const int blue = (veld_rand() % 15) * 10;
  const int green = (veld_rand() % 15) * 10;
  const int red = (veld_rand() % 15) * 10;
  return make_rgb(red, green, blue);
}
