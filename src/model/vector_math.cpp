#include "model/vector_math.h"

#include <cmath>

void makevector(const vertex_t* a, const vertex_t* b, vertex_t* out) { _VectorSubtract(b, a, out); }

void crossproduct(const vertex_t* a, const vertex_t* b, vertex_t* out) {
  vertex_t c;
  CrossProduct(a, b, &c);
  const auto len2 = static_cast<float>(_DotProduct(&c, &c));
  if (len2 == 0.0f) {
    *out = vertex_t{};
    return;
  }
  const double len = std::sqrt(static_cast<double>(len2));
  out->x = static_cast<float>(c.x / len);
  out->y = static_cast<float>(c.y / len);
  out->z = static_cast<float>(c.z / len);
}

float makenormal(surf* s, const vertex_t& from) {
  vertex_t e1, e2, toward;
  makevector(&s->point[0], &s->point[1], &e1);
  makevector(&s->point[0], &s->point[2], &e2);
  crossproduct(&e1, &e2, &s->norm);
  makevector(&s->point[0], &from, &toward);
  const auto d = static_cast<float>(_DotProduct(&s->norm, &toward));
  s->dist = d;
  return d;
}

float VectorLength(const vertex_t* a) {
  const auto sum = static_cast<float>(_DotProduct(a, a));
  return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

int VectorCompare(const vertex_t* a, const vertex_t* b) {
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(static_cast<double>(vcomp(*a, i)) - vcomp(*b, i)) > 0.001) return 0;
  }
  return 1;
}

float VectorNormalize(vertex_t* a) {
  const float length = VectorLength(a);
  // Divisions by a length of 1 (that of the base square's up along an axis)
  // would leave the vector as it is.
  if (length != 0.0f && length != 1.0f) {
    a->x = static_cast<float>(a->x / static_cast<double>(length));
    a->y = static_cast<float>(a->y / static_cast<double>(length));
    a->z = static_cast<float>(a->z / static_cast<double>(length));
  }
  return length;
}
