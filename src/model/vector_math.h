// Vector arithmetic on vertex_t. Sums and products are taken in double and
// stored as float.
#pragma once

#include "model/types.h"

// Face code family.
void makevector(const vertex_t* a, const vertex_t* b, vertex_t* out);  // out = b - a
float vectorlength(const vertex_t* a);
double dotproduct(const vertex_t* a, const vertex_t* b);
// a x b, normalised unless its squared length (as a float) is exactly 0.
void crossproduct(const vertex_t* a, const vertex_t* b, vertex_t* out);
// Plane of the face from its first three points; dist = norm . (origin - p0).
float makenormal(surf* s);

// Plane polygon family.
float VectorLength(const vertex_t* a);
int VectorCompare(const vertex_t* a, const vertex_t* b);  // 1 when within 0.001 per axis
double Q_rint(double x);                                  // floor(x + 0.5)
void VectorMA(const vertex_t* a, double scale, const vertex_t* b, vertex_t* out);
void CrossProduct(const vertex_t* a, const vertex_t* b, vertex_t* out);  // not normalised
double _DotProduct(const vertex_t* a, const vertex_t* b);
void _VectorSubtract(const vertex_t* a, const vertex_t* b, vertex_t* out);  // out = a - b
void _VectorAdd(const vertex_t* a, const vertex_t* b, vertex_t* out);
void _VectorCopy(const vertex_t* a, vertex_t* out);
float VectorNormalize(vertex_t* a);  // returns the length; 0 leaves a unchanged
void VectorInverse(vertex_t* a);
void VectorScale(const vertex_t* a, double scale, vertex_t* out);

// Component i (0 x, 1 y, 2 z).
inline float& vcomp(vertex_t& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
inline float vcomp(const vertex_t& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
