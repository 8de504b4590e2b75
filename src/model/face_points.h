// The corners of a face's polygon, as a face record holds them. Nearly every
// face of a map has four (every face of a box has), so four live in the record
// itself. A face that needs more moves its points to a block of MAX_POINTS on
// the heap and keeps that block until it goes. Face records stay small, which
// is most of what an open map holds, and reading a point costs one test.
//
// The three points that carry a face's plane are points 0 to 2, so there is
// always room for them.
#pragma once

#include <algorithm>
#include <cassert>

#include "model/vec3.h"

constexpr int MAX_POINTS = 16;  // corners of one face polygon

// A point or direction of the map, in float as the records keep it.
using vertex_t = vec3_of<float>;

class face_points {
 public:
  static constexpr int IN_RECORD = 4;

  face_points() = default;
  face_points(const face_points& other) { *this = other; }
  face_points(face_points&& other) noexcept : heap_(other.heap_) {
    std::copy_n(other.here_, IN_RECORD, here_);
    other.heap_ = nullptr;
  }
  face_points& operator=(const face_points& other) {
    if (this != &other) std::copy_n(other.data(), other.capacity(), room(other.capacity()));
    return *this;
  }
  face_points& operator=(face_points&& other) noexcept {
    std::swap(heap_, other.heap_);
    std::copy_n(other.here_, IN_RECORD, here_);
    return *this;
  }
  ~face_points() { delete[] heap_; }

  const vertex_t* data() const { return heap_ != nullptr ? heap_ : here_; }
  vertex_t* data() { return heap_ != nullptr ? heap_ : here_; }
  int capacity() const { return heap_ != nullptr ? MAX_POINTS : IN_RECORD; }

  // Room for n points (n at most MAX_POINTS), keeping those there are. The
  // points may move: a pointer to one of them is good until the next call.
  vertex_t* room(int n) {
    assert(n <= MAX_POINTS);
    if (n > IN_RECORD && heap_ == nullptr) {
      heap_ = new vertex_t[MAX_POINTS];
      std::copy_n(here_, IN_RECORD, heap_);
    }
    return data();
  }

  const vertex_t& operator[](int i) const {
    assert(i >= 0 && i < capacity());
    return data()[i];
  }
  // Writing point i makes room for it.
  vertex_t& operator[](int i) {
    assert(i >= 0);
    return room(i + 1)[i];
  }

  // Whether p is the address of a place a point of this face has been kept,
  // for pointers kept to a point across edits (see closest_point).
  bool holds(const vertex_t* p) const {
    const auto within = [p](const vertex_t* first, int n) { return p >= first && p < first + n; };
    return within(here_, IN_RECORD) || (heap_ != nullptr && within(heap_, MAX_POINTS));
  }

 private:
  vertex_t here_[IN_RECORD];
  vertex_t* heap_ = nullptr;
};
