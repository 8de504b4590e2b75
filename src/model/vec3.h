// The one vector value type of the program. vec3_of<float> is the model's
// vertex_t, kept in float as the map records are; vec3 (double) is for work
// that wants the precision, such as finding planes. Arithmetic is done in the
// type's own precision, so a float sum is a float sum, as the view's clip
// needs.
#pragma once

#include <cmath>
#include <type_traits>

template <class T>
struct vec3_of {
  T x = 0, y = 0, z = 0;
  bool operator==(const vec3_of&) const = default;
  // Part i: 0 x, 1 y, 2 z.
  constexpr T& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  constexpr T operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
};

using vec3 = vec3_of<double>;

template <class T>
constexpr vec3_of<T> operator+(const vec3_of<T>& a, const vec3_of<T>& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

template <class T>
constexpr vec3_of<T> operator-(const vec3_of<T>& a, const vec3_of<T>& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

template <class T>
constexpr vec3_of<T> operator-(const vec3_of<T>& a) {
  return {-a.x, -a.y, -a.z};
}

template <class T>
constexpr vec3_of<T> operator*(std::type_identity_t<T> s, const vec3_of<T>& a) {
  return {s * a.x, s * a.y, s * a.z};
}

template <class T>
constexpr T dot(const vec3_of<T>& a, const vec3_of<T>& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

template <class T>
constexpr vec3_of<T> cross(const vec3_of<T>& a, const vec3_of<T>& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <class T>
T length(const vec3_of<T>& a) {
  return std::sqrt(dot(a, a));
}

// a scaled to length 1; a vector of length 0 stays as it is.
template <class T>
vec3_of<T> normalized(const vec3_of<T>& a) {
  const T l = length(a);
  return l != 0 ? vec3_of<T>{a.x / l, a.y / l, a.z / l} : a;
}

// Between the precisions: widening is exact, narrowing rounds each part.
constexpr vec3 to_double(const vec3_of<float>& v) { return {v.x, v.y, v.z}; }
constexpr vec3_of<float> to_float(const vec3& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
