#include "render/world_bsp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/camera.h"
#include "model/map_state.h"
#include "model/rotation.h"
#include "model/vector_math.h"
#include "model/view_options.h"
#include "render/clip_polygon.h"
#include "render/projection.h"

namespace {

constexpr double SPLIT_EDGE_PARALLEL = 1e-9;  // an edge this parallel to a node's plane is not cut
constexpr float CULL_MARGIN = 1.0f;           // a box must be this far outside a frustum plane to be left out
constexpr int SPLITTER_CANDIDATES = 5;        // fragments tried as a node's plane
constexpr int SPLITTER_SAMPLE = 64;           // fragments a candidate is scored against
constexpr std::size_t PREFETCH_AHEAD = 8;     // faces asked for before they are checked

// Every face the tree holds, in the order the frame list takes them: brush
// entities' brushes, then the marker boxes of point entities.
template <class Visit>
void each_face(Visit visit) {
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      const bool listed = b->vis != 0 && b->hidden == 0;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) visit(s, listed);
    }
  }
  for (int i = 0; i < numentity; ++i) {
    brush_t* b = entities[i].brush;
    if (b == nullptr) continue;
    const bool listed = options.drawentity != 0 && b->valid != 0 && b->hidden == 0;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) visit(s, listed);
  }
}

// A digest of a face's points: a face whose digest is unchanged is taken to
// be unchanged. Four lanes keep the multiplications from waiting on each other.
std::uint64_t digest(const surf* s) {
  const int n = std::clamp(static_cast<int>(s->numpoints), 0, MAX_POINTS);
  std::uint32_t words[MAX_POINTS * 3 + 4] = {};
  std::memcpy(words, s->point.data(), sizeof(vertex_t) * static_cast<std::size_t>(n));
  const int count = (n * 3 + 3) & ~3;
  std::uint64_t lane[4] = {0x9e3779b97f4a7c15ULL, 0xc2b2ae3d27d4eb4fULL, 0x165667b19e3779f9ULL,
                           0x27d4eb2f165667c5ULL ^ static_cast<std::uint64_t>(n)};
  for (int i = 0; i < count; i += 4) {
    for (int k = 0; k < 4; ++k) lane[k] = (lane[k] ^ words[i + k]) * 0x100000001b3ULL + (lane[k] >> 29);
  }
  return lane[0] ^ (lane[1] * 3) ^ (lane[2] * 5) ^ (lane[3] * 7);
}

// Measuring against a node's plane: distances in double, kept as float.
struct plane_measure {
  vec3 N;
  double d;

  float distance(const vertex_t& A) const { return static_cast<float>(dot(to_double(A), N) - d); }
  vertex_t edge(const vertex_t& A, const vertex_t& B) const { return B - A; }
  float toward(const vertex_t& A) const { return static_cast<float>(d - dot(to_double(A), N)); }
  float along(const vertex_t& e) const { return static_cast<float>(dot(N, to_double(e))); }
};

// A side of a cut in world space: no limit on its points.
struct growing_side {
  std::vector<vertex_t>& p;
  bool add(const vertex_t& v) {
    p.push_back(v);
    return true;
  }
};

// Where a fragment lies against a plane.
enum class place { on, negative, positive, across };

place place_of(const plane_measure& m, const vertex_t* pts, int n, float* dist) {
  int neg = 0, pos = 0;
  for (int i = 0; i < n; ++i) {
    dist[i] = m.distance(pts[i]);
    neg += dist[i] < -CLIP_ON_PLANE ? 1 : 0;
    pos += dist[i] > CLIP_ON_PLANE ? 1 : 0;
  }
  if (neg == 0 && pos == 0) return place::on;
  if (pos == 0) return place::negative;
  if (neg == 0) return place::positive;
  return place::across;
}

void grow_box(vertex_t& low, vertex_t& high, const vertex_t& p) {
  low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
  high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
}

// A frustum plane in world space: outside where normal . p > offset.
struct world_plane {
  vec3 normal;
  double offset;
};

}  // namespace

void world_bsp::scan() {
  std::size_t at = 0;
  examined_ = 0;
  pointless_ = 0;
  drawn_.clear();
  seen_faces_.clear();
  seen_digests_.clear();
  // Nearly always the faces met now are those the tree was built from, in
  // this order: asking for them ahead saves waiting on each record in turn.
  each_face([&](surf* s, bool listed) {
    if (at + PREFETCH_AHEAD < faces_.size()) {
      const surf* ahead = faces_[at + PREFETCH_AHEAD];
      __builtin_prefetch(&ahead->point);
      __builtin_prefetch(&ahead->numpoints);
      __builtin_prefetch(&ahead->norm, 1);
    }
    ++at;
    seen_faces_.push_back(s);
    seen_digests_.push_back(digest(s));
    unsigned char draw = 0;
    if (listed) {
      ++examined_;
      draw = faces_camera(s) ? 1 : 0;
      // A face of fewer than three points passes the frustum clip, as in the
      // frame list, and shows nothing.
      if (draw != 0 && s->numpoints < 3) ++pointless_;
    }
    drawn_.push_back(draw);
  });
}

world_bsp::state world_bsp::refresh(bool may_build) {
  scan();
  if (built_ && seen_faces_ == faces_ && seen_digests_ == digests_) return state::kept;
  if (!may_build) return state::changing;
  faces_.swap(seen_faces_);
  digests_.swap(seen_digests_);
  build();
  return state::built;
}

void world_bsp::build() {
  built_ = true;
  fragments_.clear();
  points_.clear();
  nodes_.clear();

  // Fragments on their way down the tree, their points in one pool.
  std::vector<vertex_t> pool;
  std::vector<fragment> work;
  std::vector<plane_measure> planes(faces_.size(), plane_measure{{}, 0});
  std::vector<int> first_list;
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    const surf* s = faces_[i];
    if (s->numpoints < 3) continue;
    const vec3 p0 = to_double(s->point[0]);
    const vec3 n = normalized(cross(to_double(s->point[1]) - p0, to_double(s->point[2]) - p0));
    if (n.x == 0 && n.y == 0 && n.z == 0) continue;  // no plane: never drawn
    planes[i] = {n, dot(n, p0)};
    first_list.push_back(static_cast<int>(work.size()));
    work.push_back({static_cast<int>(i), static_cast<int>(pool.size()), s->numpoints});
    pool.insert(pool.end(), s->point.data(), s->point.data() + s->numpoints);
  }

  struct job {
    std::vector<int> list;  // into work
    int parent;             // node whose child this becomes, or -1 for the root
    bool negative;          // which child
  };
  std::vector<job> jobs;
  if (!first_list.empty()) jobs.push_back({std::move(first_list), -1, false});
  std::vector<float> dist;
  std::vector<vertex_t> neg_points, pos_points;
  while (!jobs.empty()) {
    job j = std::move(jobs.back());
    jobs.pop_back();
    const std::vector<int>& list = j.list;

    // The plane: of a few fragments spread over the list, the one that cuts
    // the fewest of a sample, then the one that divides it most evenly.
    const int size = static_cast<int>(list.size());
    int best = list[0];
    long best_score = -1;
    const int tries = std::min(size, SPLITTER_CANDIDATES);
    for (int c = 0; c < tries; ++c) {
      const int candidate = list[static_cast<std::size_t>(c * size / tries)];
      const plane_measure& m =
          planes[static_cast<std::size_t>(work[static_cast<std::size_t>(candidate)].face)];
      const int samples = std::min(size, SPLITTER_SAMPLE);
      long cuts = 0, neg = 0, pos = 0;
      for (int k = 0; k < samples; ++k) {
        const fragment& f =
            work[static_cast<std::size_t>(list[static_cast<std::size_t>(k * size / samples)])];
        dist.resize(static_cast<std::size_t>(f.count));
        switch (place_of(m, &pool[static_cast<std::size_t>(f.first)], f.count, dist.data())) {
          case place::across:
            ++cuts;
            break;
          case place::negative:
            ++neg;
            break;
          case place::positive:
            ++pos;
            break;
          case place::on:
            break;
        }
      }
      const long score = cuts * 8 + std::labs(neg - pos);
      if (best_score < 0 || score < best_score) {
        best_score = score;
        best = candidate;
      }
    }
    const plane_measure m = planes[static_cast<std::size_t>(work[static_cast<std::size_t>(best)].face)];

    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back({});
    if (j.parent >= 0) {
      (j.negative ? nodes_[static_cast<std::size_t>(j.parent)].negative
                  : nodes_[static_cast<std::size_t>(j.parent)].positive) = index;
    }
    node& nd = nodes_.back();
    nd.normal = m.N;
    nd.dist = m.d;
    nd.first = static_cast<int>(fragments_.size());
    nd.low = {HUGE_VALF, HUGE_VALF, HUGE_VALF};
    nd.high = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};

    std::vector<int> negative, positive;
    for (const int w : list) {
      const fragment f = work[static_cast<std::size_t>(w)];
      dist.resize(static_cast<std::size_t>(f.count));
      const vertex_t* pts = &pool[static_cast<std::size_t>(f.first)];
      // The plane's own fragment stays at the node whatever the tolerance
      // says of a face that is not quite flat, so every node takes one.
      const place at = w == best ? place::on : place_of(m, pts, f.count, dist.data());
      switch (at) {
        case place::on: {
          fragments_.push_back({f.face, static_cast<int>(points_.size()), f.count});
          for (int i = 0; i < f.count; ++i) {
            points_.push_back(pts[i]);
            grow_box(nd.low, nd.high, pts[i]);
          }
          break;
        }
        case place::negative:
          negative.push_back(w);
          break;
        case place::positive:
          positive.push_back(w);
          break;
        case place::across: {
          neg_points.clear();
          pos_points.clear();
          growing_side ns{neg_points}, ps{pos_points};
          clip_polygon<true>(pts, dist.data(), f.count, m, CLIP_ON_PLANE, SPLIT_EDGE_PARALLEL, ns, ps);
          // pts may move as the pool grows: it is not used from here on.
          for (const std::vector<vertex_t>* side : {&neg_points, &pos_points}) {
            if (side->size() < 3) continue;
            (side == &neg_points ? negative : positive).push_back(static_cast<int>(work.size()));
            work.push_back({f.face, static_cast<int>(pool.size()), static_cast<int>(side->size())});
            pool.insert(pool.end(), side->begin(), side->end());
          }
          break;
        }
      }
    }
    nd.count = static_cast<int>(fragments_.size()) - nd.first;
    if (!positive.empty()) jobs.push_back({std::move(positive), index, false});
    if (!negative.empty()) jobs.push_back({std::move(negative), index, true});
  }

  // Children come after their parents, so one pass from the end gathers the
  // bounds of every subtree.
  for (std::size_t i = nodes_.size(); i-- > 0;) {
    node& nd = nodes_[i];
    for (const int child : {nd.negative, nd.positive}) {
      if (child < 0) continue;
      grow_box(nd.low, nd.high, nodes_[static_cast<std::size_t>(child)].low);
      grow_box(nd.low, nd.high, nodes_[static_cast<std::size_t>(child)].high);
    }
  }
}

int world_bsp::walk(const std::function<bool(surf*, const vertex_t*, int)>& draw) {
  int faces_drawn = pointless_;
  if (nodes_.empty()) return faces_drawn;
  // The frustum's planes taken back into the world: a view-space normal n
  // is the world direction whose parts are n . (the turn of each axis).
  const rotation r{sangx, cangx, sangy, cangy, sangz, cangz};
  const vertex_t axes[3] = {rotate_offset(r, 1, 0, 0), rotate_offset(r, 0, 1, 0), rotate_offset(r, 0, 0, 1)};
  world_plane frustum[NUM_FRUSTUM_PLANES];
  for (int i = 0; i < NUM_FRUSTUM_PLANES; ++i) {
    const vec3 n = to_double(frustum_planes[i]->norm);
    const vec3 normal{dot(n, to_double(axes[0])), dot(n, to_double(axes[1])), dot(n, to_double(axes[2]))};
    frustum[i] = {normal, dot(normal, to_double(origin)) + dot(to_double(frustum_planes[i]->world[0]), n)};
  }
  const auto outside = [&frustum](const node& nd) {
    for (const world_plane& p : frustum) {
      // The corner of the box nearest the inside.
      const double nearest = p.normal.x * (p.normal.x > 0 ? nd.low.x : nd.high.x) +
                             p.normal.y * (p.normal.y > 0 ? nd.low.y : nd.high.y) +
                             p.normal.z * (p.normal.z > 0 ? nd.low.z : nd.high.z);
      if (nearest - p.offset > CULL_MARGIN) return true;
    }
    return false;
  };
  const vec3 eye = to_double(origin);

  // Entries >= 0 are nodes to open, ~i the node i's own fragments to draw.
  walk_stack_.clear();
  walk_stack_.push_back(0);
  while (!walk_stack_.empty()) {
    const int step = walk_stack_.back();
    walk_stack_.pop_back();
    if (step < 0) {
      const node& nd = nodes_[static_cast<std::size_t>(~step)];
      for (int i = nd.first; i < nd.first + nd.count; ++i) {
        const fragment& f = fragments_[static_cast<std::size_t>(i)];
        unsigned char& mark = drawn_[static_cast<std::size_t>(f.face)];
        if (mark == 0) continue;
        surf* face = faces_[static_cast<std::size_t>(f.face)];
        const vertex_t* pts = &points_[static_cast<std::size_t>(f.first)];
        bool shown = false;
        if (f.count <= MAX_POINTS) {
          shown = draw(face, pts, f.count);
        } else {
          // A fan around the first point, pieces of at most MAX_POINTS.
          vertex_t piece[MAX_POINTS];
          piece[0] = pts[0];
          for (int start = 1; start < f.count - 1;) {
            const int end = std::min(start + MAX_POINTS - 2, f.count - 1);
            std::copy(pts + start, pts + end + 1, piece + 1);
            shown = draw(face, piece, end - start + 2) || shown;
            start = end;
          }
        }
        // 1: to draw, 2: drawn at least in part.
        if (shown && mark == 1) {
          mark = 2;
          ++faces_drawn;
        }
      }
      continue;
    }
    const node& nd = nodes_[static_cast<std::size_t>(step)];
    if (outside(nd)) continue;
    // The side the eye is on is drawn last; pushed in reverse.
    const bool eye_negative = dot(nd.normal, eye) - nd.dist < 0;
    const int near_side = eye_negative ? nd.negative : nd.positive;
    const int far_side = eye_negative ? nd.positive : nd.negative;
    if (near_side >= 0) walk_stack_.push_back(near_side);
    if (nd.count > 0) walk_stack_.push_back(~step);
    if (far_side >= 0) walk_stack_.push_back(far_side);
  }
  return faces_drawn;
}
