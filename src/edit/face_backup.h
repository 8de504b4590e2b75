// Whole copies of a brush's faces, so that an edit the brush cannot take is
// undone to the last bit, the rebuild's work included.
#pragma once

#include <utility>
#include <vector>

#include "model/types.h"

class face_backup {
 public:
  explicit face_backup(const brush_t* b) {
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) kept_.push_back(*s);
  }

  const std::vector<surf>& faces() const { return kept_; }

  // Puts every face back as it was; the list and the links stay the brush's own.
  void restore(brush_t* b) {
    auto k = kept_.begin();
    for (surf* s = b->fsurf; s != nullptr && k != kept_.end(); s = s->next, ++k) {
      surf* next = s->next;
      *s = std::move(*k);
      s->next = next;
    }
  }

 private:
  std::vector<surf> kept_;
};
