// The ordered view's tree: a BSP over every brush face of the map in world
// space. Building it is the costly part, so it is kept from frame to frame
// and built again only when a face changed; each frame walks it from the eye,
// farther fragments before nearer ones, leaving out what the view cannot see.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/types.h"

class world_bsp {
 public:
  enum class state {
    kept,      // the faces are as the tree was built from them
    built,     // built afresh from the faces as they are
    changing,  // out of date, and not to be built now
  };
  // Compares the brush faces with those the tree was built from (so no
  // caller has to say what changed): any face added, removed, moved or
  // reshaped makes the tree out of date, and it is built again when
  // may_build is set. Faces moving frame after frame, as in a drag, would
  // otherwise have it built for every frame.
  // Also decides, for the current camera, which faces a frame draws: those of
  // brushes the frame list would take that the eye sees the front of.
  state refresh(bool may_build);

  // Only after refresh() said kept or built: calls draw for each fragment of
  // a face it left to draw, farther before nearer for the eye at origin, each
  // as a world-space polygon with its face. Parts of the tree wholly outside
  // the view frustum are skipped.
  // At most MAX_POINTS points come at a time: a longer fragment comes as a
  // fan of pieces. draw says whether it showed the piece; returns how many
  // faces passed the frustum clip: those shown at least in part, and those of
  // fewer than three points, which have nothing to clip.
  int walk(const std::function<bool(surf* face, const vertex_t* points, int count)>& draw);

  // Faces examined by the last refresh (those of brushes the frame list would
  // take) and fragments the tree holds.
  int examined() const { return examined_; }
  std::size_t fragment_count() const { return fragments_.size(); }

 private:
  struct fragment {
    int face;   // index into faces_
    int first;  // into points_
    int count;
  };
  struct node {
    vec3 normal;  // the plane: normal . p = dist; a face on it is seen from the negative side
    double dist = 0;
    int negative = -1, positive = -1;  // children, or -1
    int first = 0, count = 0;          // fragments lying in the plane, in face order
    vertex_t low, high;                // bounds of everything in the subtree
  };

  void scan();
  void build();

  bool built_ = false;
  std::vector<surf*> faces_;            // every face the tree holds, in frame-list order
  std::vector<std::uint64_t> digests_;  // of each face's points when the tree was built
  std::vector<surf*> seen_faces_;       // the faces met by the last scan, and their digests
  std::vector<std::uint64_t> seen_digests_;
  std::vector<unsigned char> drawn_;  // per face: drawn in this frame
  std::vector<fragment> fragments_;
  std::vector<vertex_t> points_;
  std::vector<node> nodes_;  // the root first
  std::vector<int> walk_stack_;
  int examined_ = 0;
  int pointless_ = 0;  // faces to draw with fewer than three points
};
