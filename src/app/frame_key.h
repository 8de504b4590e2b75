// Whether the 3D view must be drawn again: everything a frame is drawn from,
// beyond the map itself, for which a count of changes stands in. Two frames
// of equal keys are the same picture, so a tick with an unchanged key draws
// nothing.
#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <optional>

#include "model/types.h"
#include "model/view_options.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"

struct frame_key {
  std::uint64_t changes, history;
  vertex_t origin, angle;
  float view, vd;
  short xss, yss;
  QPoint mouse;
  QSize client;
  bool dragging, brushes_moving;
  int candraw;
  view_options options;  // whole, so that no switch can be left out
  status_values status;
  select_rect overhead;
  unsigned long memory;
  int numentity;
  const brush_t* current;
  std::uint64_t selection;  // the selected brushes, hashed in order
  bool operator==(const frame_key&) const = default;
};

class redraw_decision {
 public:
  // Something changed that the key does not hold (a key or mouse message, a
  // command, an edit in another view): the next frame is drawn.
  void changed() { ++changes_; }
  // Whether canvas would now draw another picture than the one in its image;
  // when it would, that picture counts as drawn.
  bool draw_needed(const TDrawCanvas& canvas);
  // The image holds no frame of a map any more.
  void forget() { drawn_.reset(); }
  long frames_drawn() const { return frames_drawn_; }

 private:
  std::optional<frame_key> drawn_;  // the key of the frame in the image
  std::uint64_t changes_ = 0;
  long frames_drawn_ = 0;
};
