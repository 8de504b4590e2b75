#include "textures/texture_set.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/whole_file.h"
#include "textures/byte_fields.h"
#include "textures/pak_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* PALETTE_NAME = "gfx/palette.lmp";

bool is_file(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// The file below folder `at` reached through parts first .. last, each
// matched as written or else in any case; every spelling that fits is
// tried, since "id1" and "ID1" may both be there. Empty when none is a file.
fs::path below(const fs::path& at, std::vector<fs::path>::const_iterator first,
               std::vector<fs::path>::const_iterator last) {
  if (first == last) return is_file(at) ? at : fs::path();
  std::error_code ec;
  const fs::path exact = at / *first;
  if (fs::exists(exact, ec)) {
    fs::path found = below(exact, first + 1, last);
    if (!found.empty()) return found;
  }
  const fs::path folder = at.empty() ? fs::path(".") : at;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path name = it->path().filename();
    if (name == *first || !same_name(name.string(), first->string())) continue;
    fs::path found = below(at / name, first + 1, last);
    if (!found.empty()) return found;
  }
  return {};
}

// The file at p as this disk spells it, or an empty path when there is none.
// Game folders and maps made where case does not count name "PAK0.PAK" or
// "GFX/BASE.WAD" for what may be pak0.pak and gfx/base.wad here.
fs::path on_disk(const fs::path& p) {
  if (is_file(p)) return p;
  const fs::path relative = p.relative_path();
  const std::vector<fs::path> parts(relative.begin(), relative.end());
  return below(p.root_path(), parts.begin(), parts.end());
}

// The folders the game's files are looked for in, in order.
std::vector<fs::path> game_folders(const std::string& game_dir) {
  if (game_dir.empty()) return {};
  return {fs::path(game_dir), fs::path(game_dir) / "id1"};
}

std::string trimmed(std::string_view s) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// Where a WAD named in a map may be, in the order they are tried.
std::vector<fs::path> wad_candidates(std::string name, const std::string& game_dir,
                                     const std::string& map_dir) {
  std::replace(name.begin(), name.end(), '\\', '/');
  std::vector<fs::path> out{fs::path(name)};
  // The names below the drive letter and each leading folder in turn.
  std::string_view rest(name);
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0])))
    rest.remove_prefix(2);
  std::vector<std::string_view> tails;
  for (;;) {
    while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    if (rest.empty()) break;
    tails.push_back(rest);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash);
  }
  std::vector<fs::path> bases = game_folders(game_dir);
  if (!map_dir.empty()) bases.emplace_back(map_dir);
  for (const fs::path& base : bases) {
    for (std::string_view tail : tails) out.push_back(base / tail);
  }
  return out;
}

std::string same_file_key(const fs::path& p) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(p, ec);
  return ec ? p.string() : canonical.string();
}

}  // namespace

void texture_set::note(std::string problem) {
  if (noted_.insert(problem).second) problems_.push_back(std::move(problem));
}

std::vector<std::string> texture_set::take_new_problems() {
  std::vector<std::string> fresh(problems_.begin() + static_cast<std::ptrdiff_t>(taken_), problems_.end());
  taken_ = problems_.size();
  return fresh;
}

void texture_set::clear() { *this = texture_set(); }

bool texture_set::use_palette_bytes(std::string_view bytes, const std::string& where) {
  palette p;
  const std::string error = palette_from_bytes(bytes, p);
  if (!error.empty()) {
    note("Cannot use the palette " + where + ": " + error + ".");
    return false;
  }
  palette_ = p;
  return true;
}

bool texture_set::load_palette(const std::string& game_dir) {
  palette_.reset();
  for (const fs::path& folder : game_folders(game_dir)) {
    std::vector<fs::path> paks;
    for (int n = 0;; ++n) {
      fs::path pak = on_disk(folder / ("pak" + std::to_string(n) + ".pak"));
      if (pak.empty()) break;
      paks.push_back(std::move(pak));
    }
    for (auto p = paks.rbegin(); p != paks.rend(); ++p) {
      pak_file pak;
      std::string error = pak.open(p->string());
      if (!error.empty()) {
        note(std::move(error));
        continue;
      }
      if (pak.find(PALETTE_NAME) == nullptr) continue;
      std::string bytes;
      error = pak.read(PALETTE_NAME, bytes);
      const std::string where = "in \"" + p->string() + "\"";
      if (!error.empty()) {
        note("Cannot use the palette " + where + ": " + error + ".");
      } else if (use_palette_bytes(bytes, where)) {
        return true;
      }
    }
    const fs::path loose = on_disk(folder / PALETTE_NAME);
    if (loose.empty()) continue;
    std::string bytes;
    const std::string error = read_whole_file(loose.string(), bytes);
    if (!error.empty()) {
      note(error);
    } else if (use_palette_bytes(bytes, in_quotes(loose.string()))) {
      return true;
    }
  }
  note("No palette (gfx/palette.lmp) in the game folder \"" + game_dir +
       "\", its id1 folder or their PAK files: textures of QUAKE WADs cannot be shown.");
  return false;
}

int texture_set::open_wads(const std::string& wad_value, const std::string& game_dir,
                           const std::string& map_dir) {
  int opened = 0;
  std::string_view rest(wad_value);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    const std::string name = trimmed(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name.empty()) continue;

    fs::path found;
    for (const fs::path& p : wad_candidates(name, game_dir, map_dir)) {
      found = on_disk(p);
      if (!found.empty()) break;
    }
    if (found.empty()) {
      note("WAD \"" + name + "\" is not in the game folder, its id1 folder or the map's folder.");
      continue;
    }
    const std::string key = same_file_key(found);
    if (std::any_of(wads_.begin(), wads_.end(),
                    [&](const open_wad& w) { return same_file_key(w.path) == key; })) {
      continue;
    }
    open_wad w{found.string(), {}, {}};
    std::string error = w.wad.open(w.path);
    if (!error.empty()) {
      note(std::move(error));
      continue;
    }
    w.textures = w.wad.textures();
    wads_.push_back(std::move(w));
    ++opened;
  }
  return opened;
}

const texture_image& texture_set::texture(std::string_view name) {
  auto [slot, fresh] = read_.try_emplace(lower_name(name));
  if (!fresh) return slot->second ? *slot->second : missing_texture();

  const std::string named = in_quotes(name);
  for (const open_wad& w : wads_) {
    const bool listed = std::any_of(w.textures.begin(), w.textures.end(),
                                    [&](const wad_texture_info& t) { return same_name(t.name, name); });
    if (!listed) continue;
    if (!w.wad.own_palettes() && !palette_) {
      note("The textures of \"" + w.path + "\" cannot be shown without the game's palette.");
      return missing_texture();
    }
    auto t = std::make_unique<texture_image>();
    const std::string error = w.wad.read_texture(name, palette_ ? &*palette_ : nullptr, *t);
    if (!error.empty()) {
      note("Texture " + named + " in " + in_quotes(w.path) + " cannot be read: " + error + ".");
      return missing_texture();
    }
    slot->second = std::move(t);
    return *slot->second;
  }
  note("Texture " + named + " is in none of the map's WADs.");
  return missing_texture();
}

std::vector<texture_info> texture_set::names() const {
  std::vector<texture_info> out;
  std::unordered_set<std::string> seen;
  for (const open_wad& w : wads_) {
    for (const wad_texture_info& t : w.textures) {
      if (t.name.empty() || !seen.insert(lower_name(t.name)).second) continue;
      // One that cannot be read, or whose WAD needs the palette that is missing, is drawn as missing.
      std::string problem = t.problem;
      if (problem.empty() && !w.wad.own_palettes() && !palette_) problem = "needs the game's palette";
      out.push_back({t.name, t.width, t.height, std::move(problem)});
    }
  }
  std::sort(out.begin(), out.end(), [](const texture_info& a, const texture_info& b) {
    const std::string la = lower_name(a.name), lb = lower_name(b.name);
    return la != lb ? la < lb : a.name < b.name;
  });
  return out;
}
