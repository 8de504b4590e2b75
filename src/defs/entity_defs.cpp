#include "defs/entity_defs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/whole_file.h"

namespace {

namespace fs = std::filesystem;

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The files of dir whose names end in ext, in any case, sorted by name.
std::vector<std::string> files_ending(const fs::path& dir, const std::string& ext) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && lower(it->path().extension().string()) == ext)
      out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The sources progs.src lists after its first word (the output file), read
// from its folder; "//" starts a comment.
std::vector<std::string> progs_sources(const fs::path& progs) {
  std::vector<std::string> out;
  std::ifstream in(progs);
  std::string line;
  bool output_named = false;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find("//"));
    std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos) continue;
    const std::size_t end = line.find_last_not_of(" \t\r");
    const std::string name = line.substr(start, end - start + 1);
    if (!output_named) {
      output_named = true;
      continue;
    }
    const fs::path source = progs.parent_path() / name;
    std::error_code ec;
    if (fs::is_regular_file(source, ec)) out.push_back(source.string());
  }
  return out;
}

}  // namespace

const entity_class* entity_defs::find(std::string_view name) const {
  for (const entity_class& c : classes) {
    if (c.kind != class_kind::base && same_name(c.name, name)) return &c;
  }
  return nullptr;
}

std::string read_definition_file(const std::string& path, entity_defs& defs) {
  std::string text;
  const std::string error = read_whole_file(path, text);
  if (!error.empty()) return error;
  if (lower(fs::path(path).extension().string()) == ".fgd") {
    read_fgd(text, path, defs);
  } else {
    read_def(text, path, defs);
  }
  return "";
}

void resolve_bases(entity_defs& defs) {
  std::map<std::string, const entity_class*> bases;  // by lower-case name, the first of each
  for (const entity_class& c : defs.classes) bases.emplace(lower(c.name), &c);
  // Each class is resolved once, bases first, so a base's own bases are in
  // its keys already; a cycle of bases stops where it comes round.
  std::map<const entity_class*, int> state;  // 1 resolving, 2 resolved
  std::vector<entity_class> resolved = defs.classes;
  std::map<const entity_class*, std::size_t> index;
  for (std::size_t i = 0; i < defs.classes.size(); ++i) index[&defs.classes[i]] = i;

  auto resolve = [&](auto& self, const entity_class& c) -> void {
    int& s = state[&c];
    if (s != 0) return;
    s = 1;
    entity_class& out = resolved[index[&c]];
    std::vector<class_key> keys;
    for (const std::string& base_name : c.bases) {
      const auto found = bases.find(lower(base_name));
      if (found == bases.end() || found->second == &c) {
        if (defs.problems.size() < MAX_LISTED_DEF_PROBLEMS) {
          defs.problems.push_back(
              {c.file, c.line, 1, "the class " + c.name + " names an unknown base " + base_name});
        } else {
          ++defs.unlisted_problems;
        }
        continue;
      }
      self(self, *found->second);
      const entity_class& base = resolved[index[found->second]];
      for (const class_key& k : base.keys) {
        auto same = [&](const class_key& o) { return same_name(o.name, k.name); };
        if (std::none_of(keys.begin(), keys.end(), same) && std::none_of(c.keys.begin(), c.keys.end(), same))
          keys.push_back(k);
      }
      if (!out.sized && base.sized) {
        out.sized = true;
        std::copy(std::begin(base.mins), std::end(base.mins), out.mins);
        std::copy(std::begin(base.maxs), std::end(base.maxs), out.maxs);
      }
      if (!out.coloured && base.coloured) {
        out.coloured = true;
        std::copy(std::begin(base.colour), std::end(base.colour), out.colour);
      }
    }
    // A class's own flags add to those its bases give the same key.
    for (class_key own : c.keys) {
      for (const std::string& base_name : c.bases) {
        const auto found = bases.find(lower(base_name));
        if (found == bases.end() || found->second == &c) continue;
        for (const class_key& k : resolved[index[found->second]].keys) {
          if (k.kind != key_kind::flags || own.kind != key_kind::flags || !same_name(k.name, own.name))
            continue;
          for (const key_flag& f : k.flags) {
            auto same_bit = [&](const key_flag& o) { return o.bit == f.bit; };
            if (std::none_of(own.flags.begin(), own.flags.end(), same_bit)) own.flags.push_back(f);
          }
        }
      }
      keys.push_back(std::move(own));
    }
    out.keys = std::move(keys);
    s = 2;
  };
  for (const entity_class& c : defs.classes) resolve(resolve, c);
  defs.classes = std::move(resolved);
}

std::vector<std::string> find_definition_files(const std::string& game_folder) {
  const fs::path dirs[2] = {fs::path(game_folder), fs::path(game_folder) / "id1"};
  std::vector<std::string> out;
  for (const fs::path& dir : dirs) {
    for (const char* ext : {".fgd", ".def"}) {
      const std::vector<std::string> found = files_ending(dir, ext);
      out.insert(out.end(), found.begin(), found.end());
    }
  }
  for (const fs::path& dir : dirs) {
    std::error_code ec;
    if (fs::is_regular_file(dir / "progs.src", ec)) {
      const std::vector<std::string> sources = progs_sources(dir / "progs.src");
      out.insert(out.end(), sources.begin(), sources.end());
    }
  }
  return out;
}
