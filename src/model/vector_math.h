// The named vector functions of the face and plane polygon code, over the
// vector type of model/vec3.h. Sums and products are taken in double and
// stored as float.
#pragma once

#include "model/types.h"

// Face code family.
void makevector(const vertex_t* a, const vertex_t* b, vertex_t* out);  // out = b - a
// a x b, normalised unless its squared length (as a float) is exactly 0.
void crossproduct(const vertex_t* a, const vertex_t* b, vertex_t* out);
// Plane of the face from its first three points; dist = norm . (from - p0),
// how far the point `from` lies in front of the face (the camera, for the view).
float makenormal(surf* s, const vertex_t& from);

// Plane polygon family.
float VectorLength(const vertex_t* a);
int VectorCompare(const vertex_t* a, const vertex_t* b);  // 1 when within 0.001 per axis
float VectorNormalize(vertex_t* a);                       // returns the length; 0 leaves a unchanged

// The small ones are inline: the polygon cuts call them for every edge. Each
// works in double and stores float.
inline double _DotProduct(const vertex_t* a, const vertex_t* b) { return dot(to_double(*a), to_double(*b)); }

// out = a - b (first minus second, unlike makevector)
inline void _VectorSubtract(const vertex_t* a, const vertex_t* b, vertex_t* out) {
  *out = to_float(to_double(*a) - to_double(*b));
}

inline void _VectorAdd(const vertex_t* a, const vertex_t* b, vertex_t* out) {
  *out = to_float(to_double(*a) + to_double(*b));
}

inline void VectorMA(const vertex_t* a, double scale, const vertex_t* b, vertex_t* out) {
  *out = to_float(to_double(*a) + scale * to_double(*b));
}

// a x b, not normalised
inline void CrossProduct(const vertex_t* a, const vertex_t* b, vertex_t* out) {
  *out = to_float(cross(to_double(*a), to_double(*b)));
}

inline void VectorScale(const vertex_t* a, double scale, vertex_t* out) {
  *out = to_float(scale * to_double(*a));
}

// Component i (0 x, 1 y, 2 z).
inline float& vcomp(vertex_t& v, int i) { return v[i]; }
inline float vcomp(const vertex_t& v, int i) { return v[i]; }
