#include "render/draw_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/number_text.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/rotation.h"
#include "model/view_options.h"
#include "render/face_texture.h"
#include "render/frame_list.h"
#include "render/projection.h"
#include "render/raster.h"
#include "render/render_state.h"
#include "render/winding_pool.h"

namespace {

constexpr float NO_DIVIDE_DEPTH = 0.0005f;  // nearer than this a point is projected without dividing
constexpr float DOT_DEPTH = 0.001f;         // entity dots are drawn only beyond this depth
constexpr int PICK_RANGE = 5;               // a vertex is picked when nearer than this in x and y
constexpr float EDGE_EPSILON = 0.001f;      // the mouse must be this far inside every edge
constexpr colour_t SELECTED_FACE_PEN = make_rgb(255, 128, 0);

// Pixel coordinates are truncated toward zero. Points that project very far
// off (a zoom gone wild, a point at the eye) are held to a range that any
// int and the rasteriser can take; within the image nothing changes.
constexpr float PIXEL_LIMIT = 1.0e6f;
int to_pixel(float v) {
  if (!(v >= -PIXEL_LIMIT)) return static_cast<int>(-PIXEL_LIMIT);  // also NaN
  if (!(v <= PIXEL_LIMIT)) return static_cast<int>(PIXEL_LIMIT);
  return static_cast<int>(v);
}

QRgb qrgb(colour_t c) { return qRgb(colour_red(c), colour_green(c), colour_blue(c)); }

// The three coordinates as "%lf %lf %lf" prints them in the C locale.
std::string coordinates(const vertex_t& v) {
  return format_lf(v.x) + " " + format_lf(v.y) + " " + format_lf(v.z);
}

}  // namespace

TDrawCanvas::TDrawCanvas() : winbmp(VIEW_WIDTH, VIEW_HEIGHT, QImage::Format_RGB32) {
  winbmp.fill(Qt::white);
  window.begin(&winbmp);
  window.setRenderHint(QPainter::Antialiasing, false);
  window.setBackground(QBrush(Qt::white));
  window.setBackgroundMode(Qt::OpaqueMode);
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(12);
  window.setFont(font);
  text_ascent = QFontMetrics(font).ascent();
  reset_winding_pool();
}

TDrawCanvas::~TDrawCanvas() {
  window.end();
  free_winding_pool();
}

void TDrawCanvas::put_pixel(int x, int y, colour_t c) { ::put_pixel(raster_target(winbmp), x, y, qrgb(c)); }

void TDrawCanvas::put_text(int x, int y, const std::string& text) {
  // Text is black on white whatever pen is selected; polygons and lines do
  // not take their colour from the painter.
  window.setPen(Qt::black);
  window.drawText(QPoint(x, y + text_ascent),
                  QString::fromLatin1(text.data(), static_cast<int>(text.size())));
}

bool TDrawCanvas::mouse_inside(const QPoint* pts, int n, float margin) const {
  // A polygon of fewer than three points covers nothing, so it never picks.
  if (n < 3) return false;
  const float mx = static_cast<float>(Point.x());
  const float my = static_cast<float>(Point.y());
  for (int i = 0; i < n; ++i) {
    const QPoint& from = pts[i];
    const QPoint& to = pts[(i + 1) % n];
    const float x = static_cast<float>(from.x()), y = static_cast<float>(from.y());
    const float x1 = static_cast<float>(to.x()), y1 = static_cast<float>(to.y());
    const float t = (x - x1) * (y - my) - (y - y1) * (x - mx);
    if (t < margin) return false;
  }
  return true;
}

int TDrawCanvas::project_points(const winding* temp, QPoint* pts) const {
  const int n = std::clamp(static_cast<int>(temp->numworld), 0, MAX_POINTS);
  for (int i = 0; i < n; ++i) {
    const vertex_t& p = temp->world[i];
    float sx = p.x, sy = p.z;
    if (std::fabs(p.y) > NO_DIVIDE_DEPTH) {
      sx = p.x * view / p.y;
      sy = p.z * view / p.y;
    }
    pts[i] = QPoint(to_pixel(xss + sx * vd), to_pixel(yss - sy * vd));
  }
  return n;
}

int TDrawCanvas::project(winding* temp, QPoint* pts) {
  const int n = project_points(temp, pts);
  if (n == 0) return 0;
  const vertex_t* vertex = nullptr;
  for (int i = 0; i < n; ++i) {
    if (std::abs(pts[i].x() - Point.x()) < PICK_RANGE && std::abs(pts[i].y() - Point.y()) < PICK_RANGE) {
      vertex = &temp->world[i];
    }
  }
  if (!DragDC) {
    if (mouse_inside(pts, n, EDGE_EPSILON)) thi = temp->original;
    if (vertex != nullptr) find_original_vertex(temp, vertex);
  }
  return n;
}

void TDrawCanvas::makepoly(winding* temp, int usecolor, int solid) {
  if (usecolor != 0) {
    Brush = temp->clr;
    Pen = temp->clr;
  }
  QPoint pts[MAX_POINTS];
  const int n = project(temp, pts);
  if (n == 0) return;
  // The wireframe outline runs back to its first point, as the edge of a
  // filled polygon does.
  const raster_target target(winbmp);
  if (solid != 0) fill_polygon(target, pts, n, qrgb(Brush));
  outline_polygon(target, pts, n, qrgb(Pen));
}

void TDrawCanvas::queue_poly(winding* temp) {
  Brush = temp->clr;
  Pen = temp->clr;
  const std::size_t at = queued_points.size();
  queued_points.resize(at + MAX_POINTS);
  const int n = project(temp, &queued_points[at]);
  queued_points.resize(at + static_cast<std::size_t>(n));
  if (n > 0) queued.push_back({at, n, temp->clr, temp});
}

void TDrawCanvas::fill_queued(const raster_target& band, const queued_polygon& q) {
  const QPoint* pts = &queued_points[q.first];
  const surf* face = q.w->original;
  if (face == nullptr || (options.drawtextures == 0 && options.drawlight == 0)) {
    fill_polygon(band, cover, pts, q.count, qrgb(q.clr));
    return;
  }
  // A point entity's box keeps its colour: its faces' name was never a texture.
  const bool marker = face->brush != nullptr && face->brush->entity != -1;
  if (options.drawtextures == 0 || marker) {
    fill_polygon(band, cover, pts, q.count,
                 shaded(qrgb(q.clr), face_shade(face, options.drawlight != 0, options.drawtextures != 0)));
    return;
  }
  const texture_image* tex = &missing_texture();
  if (texture_of) {
    // The texture set reads textures as they are first asked for: one band at a time.
    const std::lock_guard<std::mutex> hold(texture_guard);
    tex = &texture_of(face->texname);
  }
  fill_textured(band, cover, pts, q.count, *tex, [&] {
    return face_mapping(q.w, *tex, view, vd, xss, yss, face_shade(face, options.drawlight != 0, true));
  });
}

void TDrawCanvas::draw_queue(int solid) {
  // Nearest first, each pixel taking the first colour that reaches it: the
  // picture of drawing the queue in order, without painting over the many
  // hidden fragments again and again.
  const raster_target target(winbmp);
  cover.reset(target.width, target.height);
  // A fragment with the same screen points as one already put down (a face
  // that two brushes share, a brush a map holds twice) has all its pixels
  // drawn already, so it is skipped.
  std::size_t nslots = 64;
  while (nslots < 2 * queued.size()) nslots *= 2;
  seen.assign(nslots, -1);
  nearest_first.clear();
  for (std::size_t i = queued.size(); i-- > 0;) {
    const queued_polygon& q = queued[i];
    const QPoint* pts = &queued_points[q.first];
    std::uint64_t h = 1469598103934665603ULL ^ static_cast<std::uint64_t>(q.count);
    for (int k = 0; k < q.count; ++k) {
      h = (h ^ static_cast<std::uint32_t>(pts[k].x())) * 1099511628211ULL;
      h = (h ^ static_cast<std::uint32_t>(pts[k].y())) * 1099511628211ULL;
    }
    bool copy = false;
    std::size_t slot = static_cast<std::size_t>(h ^ (h >> 29)) & (nslots - 1);
    for (; seen[slot] >= 0; slot = (slot + 1) & (nslots - 1)) {
      const queued_polygon& other = queued[static_cast<std::size_t>(seen[slot])];
      if (other.count == q.count && std::equal(pts, pts + q.count, &queued_points[other.first])) {
        copy = true;
        break;
      }
    }
    if (copy) continue;
    seen[slot] = static_cast<std::int32_t>(i);
    // Every pixel of a fill or an outline lies within its points' bounds.
    int x0 = pts[0].x(), x1 = x0, y0 = pts[0].y(), y1 = y0;
    for (int k = 1; k < q.count; ++k) {
      x0 = std::min(x0, pts[k].x());
      x1 = std::max(x1, pts[k].x());
      y0 = std::min(y0, pts[k].y());
      y1 = std::max(y1, pts[k].y());
    }
    nearest_first.push_back({i, x0, y0, x1, y1});
  }

  // Rows of the image are drawn band by band, each band by its own thread:
  // a pixel's colour depends only on the polygons over it, in their order.
  const auto draw_band = [&](int first, int end) {
    const raster_target band = band_of(target, first, end);
    for (const bounded_polygon& b : nearest_first) {
      // Where nearer polygons have drawn all of the bounds, nothing would show.
      if (cover.covers(b.x0, std::max(b.y0, first), b.x1, std::min(b.y1, end - 1))) continue;
      const queued_polygon& q = queued[b.index];
      if (solid != 0) fill_queued(band, q);
      outline_polygon(band, cover, &queued_points[q.first], q.count, qrgb(q.clr));
    }
  };
  if (bands > 1) {
    const int middle = target.height / 2;
    worker.run([&] { draw_band(middle, target.height); }, [&] { draw_band(0, middle); });
  } else {
    draw_band(0, target.height);
  }
  queued.clear();
  queued_points.clear();
}

void TDrawCanvas::draw_tree(winding* root) {
  for (winding* w : tree.back_to_front(root)) queue_poly(w);
  draw_queue(options.allsolid);
}

void TDrawCanvas::draw_ordered() {
  reset_winding_pool();
  // While a drag (here or in a plan view) moves faces, each frame sorts its
  // own fragments instead of building the tree for every step: the tree of view-space fragments made
  // for this frame alone. Either way the picture depends on nothing but the
  // map, the camera and the drag, as an idle window that skips frames needs.
  if (world.refresh(!DragDC && !brushes_moving) == world_bsp::state::changing) {
    winding* const listed = draw_all(frame_windings, 0);
    reset_winding_pool();
    tree.build(listed);
    draw_tree(listed);
    return;
  }
  numsurfabs = world.examined();
  const rotation r{sangx, cangx, sangy, cangy, sangz, cangz};
  numdrawn = world.walk([&](surf* face, const vertex_t* pts, int n) {
    // Into view space and clipped to the frustum as a whole face would be,
    // keeping the pieces of a face joined.
    winding& w = *getnextwinding();
    w.numworld = static_cast<signed char>(n);
    for (int i = 0; i < n; ++i) rotate_vertex(&pts[i], &w.world[i]);
    if (!clip_to_frustum_evenly(&w)) {
      unget_winding();
      return false;
    }
    w.original = face;
    w.clr = face->clr;
    w.norm = rotate_offset(r, face->norm.x, face->norm.y, face->norm.z);
    w.next = w.front = w.back = nullptr;
    queue_poly(&w);
    // The mouse on a piece's edge (or inside it): its face may be the one
    // under the mouse.
    if (!queued.empty() && queued.back().w == &w &&
        mouse_inside(&queued_points[queued.back().first], queued.back().count, -EDGE_EPSILON)) {
      pick_candidates.push_back(face);
    }
    return true;
  });
  // A piece's edge where the tree cut a face is no edge of the face: the
  // mouse there is inside the face, though inside neither piece. So the face
  // under the mouse is the nearest one whose whole polygon has the mouse
  // inside, as drawing the faces whole would pick it.
  if (!DragDC) {
    for (auto face = pick_candidates.rbegin(); face != pick_candidates.rend(); ++face) {
      winding w;
      rotate_surface(*face, &w);
      QPoint pts[MAX_POINTS];
      if (draw_surface(*face, &w) == 1 && mouse_inside(pts, project_points(&w, pts), EDGE_EPSILON)) {
        thi = *face;
        break;
      }
    }
  }
  pick_candidates.clear();
  draw_queue(options.allsolid);
}

void TDrawCanvas::draw_brush(brush_t* brush) {
  for (surf* s = brush->fsurf; s != nullptr; s = s->next) {
    winding w;
    rotate_surface(s, &w);
    if (draw_surface(s, &w) != 0 && options.fixb != 0) makepoly(&w, 0, 0);
  }
}

void TDrawCanvas::draw_selected_face(surf* s) {
  if (s->brush != nullptr && s->brush->hidden != 0) return;
  winding w;
  rotate_surface(s, &w);
  if (draw_surface(s, &w) == 0) return;
  QPoint pts[MAX_POINTS];
  const int n = project(&w, pts);
  const raster_target target(winbmp);
  outline_polygon(target, pts, n, qrgb(Pen));
  for (int i = 2; i < n; ++i) draw_segment(target, pts[0], pts[i], qrgb(Pen));
}

void TDrawCanvas::EvDraw() {
  if (memory_status) memory = memory_status();
  draw_frame();
}

void TDrawCanvas::draw_frame() {
  if (!DragDC) {
    closest_point = nullptr;
    thi = nullptr;
    hilight = nullptr;
  }
  window.fillRect(QRect(QPoint(0, 0), clientsize) & winbmp.rect(), Qt::white);

  numtlsurf = 0;
  if (options.drawbsp != 0) {
    draw_ordered();
  } else {
    for (winding* w = draw_all(frame_windings, 0); w != nullptr; w = w->next) queue_poly(w);
    draw_queue(options.allsolid);
    for (int i = 0; i < numentity; ++i) {
      vertex_t v;
      rotate_vertex(&entities[i].origin, &v);
      if (v.y > DOT_DEPTH) {
        put_pixel(to_pixel(xss + (v.x * view / v.y) * vd), to_pixel(yss - (v.z * view / v.y) * vd),
                  make_rgb(255, 0, 0));
      }
    }
  }

  if (hilight == nullptr) hilight = thi;

  select_pen(make_rgb(255, 255, 0));
  for (brushlist* node = blist; node != nullptr && node->brush != nullptr; node = node->next) {
    draw_brush(node->brush);
  }
  if (hibr != nullptr) {
    select_pen(make_rgb(255, 0, 255));
    draw_brush(hibr);
  }
  if (hilight != nullptr && hilight->brush != nullptr) {
    brush_t* b = hilight->brush;
    select_pen(make_rgb(0, 255, 255));
    draw_brush(b);
    if (b->entity == -1 && options.dragx == 0 && options.dragy == 0 && options.dragz == 0) {
      select_pen(make_rgb(255, 0, 0));
      winding w;
      rotate_surface(hilight, &w);
      draw_surface(hilight, &w);
      makepoly(&w, 0, 0);
    }
    if (b->entity <= -1 && b->hull != nullptr) {
      put_text(10, 52, std::string("hull classname: ") + b->hull->classname);
    }
  }
  // The faces picked for texture work: outlined, and crossed so that they
  // read apart from the highlight.
  if (!selected_faces.empty()) {
    const colour_t pen = Pen;  // the cross-hair keeps the colour it always took
    select_pen(SELECTED_FACE_PEN);
    for (surf* s : selected_faces) draw_selected_face(s);
    select_pen(pen);
  }

  const raster_target target(winbmp);
  draw_segment(target, QPoint(390, 300), QPoint(410, 300), qrgb(Pen));
  draw_segment(target, QPoint(400, 290), QPoint(400, 310), qrgb(Pen));

  draw_status();

  if (closest_point != nullptr) {
    vertex_t v;
    rotate_vertex(closest_point, &v);
    float sx = v.x, sy = v.z;
    if (std::fabs(v.y) > NO_DIVIDE_DEPTH) {
      sx = v.x * view / v.y;
      sy = v.z * view / v.y;
    }
    const float X = xss + sx * vd;
    const float Y = yss - sy * vd;
    const colour_t black = make_rgb(0, 0, 0);
    put_pixel(to_pixel(X), to_pixel(Y), black);
    put_pixel(to_pixel(X + 1), to_pixel(Y), black);
    put_pixel(to_pixel(X), to_pixel(Y + 1), black);
    put_pixel(to_pixel(X + 1), to_pixel(Y + 1), black);
  }
}

std::array<std::string, 3> TDrawCanvas::status_lines() const {
  // The current brush is shown by a number taken from its address.
  const auto brush_id = static_cast<int>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hibr)));
  // Nothing counts a back side: "back: 0" only keeps the line as it always read.
  using std::to_string;
  const view_options& o = options;
  return {"numsurf: " + to_string(numsurfabs) + " numdrawn: " + to_string(numdrawn) +
              " &hibr: " + to_string(brush_id) + " view: " + format_lf(view) +
              " testing: " + to_string(status.testing_value) + " numentity: " + to_string(numentity) +
              " cmdline:" + status.cmdline.c_str(),
          "origin: " + coordinates(origin) + " front: " + to_string(numtlsurf) + " back: 0",
          "angle: " + coordinates(angle) + " keydown: " + to_string(status.keydown) +
              "  flags: " + to_string(status.keyflags) + " dragx " + to_string(o.dragx) + " dragy " +
              to_string(o.dragy) + " dragz " + to_string(o.dragz) + " fix" + to_string(o.fixb) +
              "free: " + to_string(memory) + "%"};
}

void TDrawCanvas::draw_status() {
  const std::array<std::string, 3> lines = status_lines();
  for (int i = 0; i < 3; ++i) put_text(10, 4 + 16 * i, lines[static_cast<std::size_t>(i)]);
  if (closest_point != nullptr) {
    put_text(10, 52, "hipoint: " + coordinates(*closest_point) + " ");
  }
}
