// The textures of the open map: the game's palette and the WADs the map
// names. A texture is read when first asked for and kept until cleared, and
// every problem met along the way is recorded once for the user.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "textures/palette.h"
#include "textures/texture_image.h"
#include "textures/wad_file.h"

// One texture as a browser lists it.
struct texture_info {
  std::string name;
  int width = 0, height = 0;
  std::string problem;  // why it cannot be shown; empty when it can
};

class texture_set {
 public:
  // Finds gfx/palette.lmp in game_dir or its id1 folder, loose or in their
  // pak0.pak, pak1.pak, ... . In each folder the PAKs come before loose files
  // and a later PAK before an earlier one, as in the game; game_dir comes
  // before id1. False, with the reason recorded as a problem, when none reads.
  bool load_palette(const std::string& game_dir);
  bool has_palette() const { return palette_.has_value(); }

  // Opens the WADs of wad_value, the world entity's "wad": names separated by
  // ';'. Each is looked for as given, then in game_dir, its id1 folder and
  // map_dir. '\' counts as '/', and a name that is not found whole is tried
  // again without its drive letter and leading folders one at a time, so
  // "C:\quake\id1\gfx\base.wad" and "/gfx/base.wad" are found as
  // gfx/base.wad or base.wad. Returns how many WADs opened; each one missing
  // or damaged is recorded as a problem.
  int open_wads(const std::string& wad_value, const std::string& game_dir, const std::string& map_dir);

  // The texture called `name`, in any case, from the first open WAD that
  // lists it; missing_texture() when none does or it cannot be read, and the
  // problem is recorded. The reference holds until clear().
  const texture_image& texture(std::string_view name);

  // Every texture of the open WADs, each name once (from the WAD texture()
  // would take it from), sorted regardless of case. One that cannot be shown
  // is listed with its problem.
  std::vector<texture_info> names() const;

  // The problems recorded so far, each once, in the order met.
  const std::vector<std::string>& problems() const { return problems_; }
  // The problems recorded since the last call.
  std::vector<std::string> take_new_problems();

  // Forgets the palette, the WADs, the textures read and the problems.
  void clear();

 private:
  struct open_wad {
    std::string path;
    wad_file wad;
    std::vector<wad_texture_info> textures;
  };

  void note(std::string problem);
  bool use_palette_bytes(std::string_view bytes, const std::string& where);

  std::optional<palette> palette_;
  std::vector<open_wad> wads_;
  // By lower-case name; null for a texture that is missing or damaged.
  std::unordered_map<std::string, std::unique_ptr<texture_image>> read_;
  std::vector<std::string> problems_;
  std::unordered_set<std::string> noted_;
  std::size_t taken_ = 0;
};
