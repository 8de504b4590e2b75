#include "mapio/map_reader.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "base/whole_file.h"
#include "mapio/map_builder.h"
#include "mapio/map_parser.h"
#include "mapio/source_layout.h"
#include "model/camera.h"
#include "model/map_state.h"

namespace {

// How many threads rebuild brushes when the caller leaves it open: the
// VELD_READ_THREADS environment variable when it is a positive number, else
// one a core.
int automatic_threads() {
  if (const char* env = std::getenv("VELD_READ_THREADS"); env != nullptr) {
    char* end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 64L));
  }
  // Asked once: the system reads a file for it, which takes longer than
  // reading a small map.
  static const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, 64U));
  return cores;
}

// Reads text into the program-wide model, which the caller has emptied: the
// parser's records go to the builder one at a time, as they are read, the
// numbers the faces were read with into `numbers`, which will follow the
// open map's table. With entities_end given, the records note their places
// in the text, and it is set to where the last entity ends.
load_report read_into_model(std::string_view text, int threads, read_table& numbers,
                            std::size_t* entities_end = nullptr) {
  origin = vertex_t{};
  load_report report;
  map_parser parser(text, report);
  const std::size_t before = entities_end != nullptr ? 0 : map_source.numbers.size();
  map_builder builder(text, report, threads, entities_end != nullptr, numbers, before);
  parsed_record r;
  bool refused = false;
  while (!refused && parser.next(r)) refused = !builder.add(r);
  if (refused || parser.refused()) {
    load_report refusal;
    refusal.error = report.error;
    refusal.not_a_map = report.not_a_map;
    return refusal;
  }
  builder.finish(parser.dialect(), parser.brushes_before());
  if (entities_end != nullptr) *entities_end = builder.entities_end();
  return report;
}

// The lists of the map that was in the model while another is read, so that
// a read that fails can put it back as it was.
class model_aside {
 public:
  // Allocates all it needs here, before anything is moved.
  model_aside() : entities_(MAX_ENTITIES) {}

  // Moves the map held here into the program-wide one (the other way from a
  // read): the world's brushes into the world, the other entities after
  // it, the point entities after those there are. False, with nothing moved,
  // when the table has no room; added lists the brushes moved.
  bool move_into_model(std::vector<brush_t*>& added) {
    int points = 0;
    for (short i = 0; i < count_; ++i) points += entities_[static_cast<std::size_t>(i)].valid != 0 ? 1 : 0;
    if (hull == nullptr || numentity + points > MAX_ENTITIES) return false;
    hull_t* pasted_world = hull_;
    hull_t** after = &hull->next;
    for (hull_t* h = pasted_world != nullptr ? pasted_world->next : nullptr; h != nullptr;) {
      hull_t* next = h->next;
      h->next = *after;
      *after = h;
      after = &h->next;
      for (brush_t* b = h->brush; b != nullptr; b = b->next) added.push_back(b);
      h = next;
    }
    if (pasted_world != nullptr) {
      while (brush_t* b = pasted_world->brush) {
        pasted_world->brush = b->next;
        b->hull = hull;
        b->next = hull->brush;
        hull->brush = b;
        added.push_back(b);
      }
      pasted_world->next = nullptr;
      free_hull(pasted_world);
    }
    hull_ = nullptr;
    for (short i = 0; i < count_; ++i) {
      dentity_t& e = entities_[static_cast<std::size_t>(i)];
      if (e.valid == 0) continue;
      const short slot = numentity++;
      entities[slot] = e;
      if (e.brush != nullptr) {
        e.brush->entity = slot;
        added.push_back(e.brush);
      }
      e = dentity_t{};
    }
    count_ = 0;
    return true;
  }

  // Exchanges these lists with the program-wide ones.
  void swap_with_model() {
    std::swap(hull_, hull);
    std::swap_ranges(entities_.begin(), entities_.end(), entities);
    std::swap(count_, numentity);
    std::swap(dialect_, map_dialect);
  }

 private:
  hull_t* hull_ = nullptr;
  std::vector<dentity_t> entities_;
  short count_ = 0;
  int dialect_ = DIALECT_STANDARD;
};

// Releases what a failed read built. Nothing else points into it, so the
// selection and the highlight, which belong to the map set aside, stay.
void release_failed_read() {
  release_records();
  map_dialect = DIALECT_STANDARD;
}

load_report out_of_memory() {
  load_report r;
  r.error = "There was not enough memory to read the map; it was not opened.";
  return r;
}

// read_map_text for text the model may keep as what the map was read from.
load_report read_own_text(std::string text, int threads) {
  const vertex_t camera = origin;
  try {
    model_aside earlier;
    earlier.swap_with_model();
    load_report report;
    std::size_t entities_end = 0;
    read_table numbers;
    try {
      report = read_into_model(text, threads > 0 ? threads : automatic_threads(), numbers, &entities_end);
      if (report.ok()) take_as_read(std::move(text), entities_end, std::move(numbers));
    } catch (const std::bad_alloc&) {
      report = out_of_memory();
    }
    if (report.ok()) {
      // The earlier map goes, and with it every pointer into it.
      earlier.swap_with_model();
      release_map();
      earlier.swap_with_model();
    } else {
      release_failed_read();
      earlier.swap_with_model();
      origin = camera;
    }
    return report;
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  }
}

}  // namespace

load_report read_map_text(std::string_view text, int threads) {
  try {
    return read_own_text(std::string(text), threads);
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  }
}

load_report merge_map_text(std::string_view text, std::vector<brush_t*>& added) {
  const vertex_t camera = origin;
  const int dialect = map_dialect;
  added.clear();
  try {
    model_aside open_map;
    open_map.swap_with_model();
    load_report report;
    read_table numbers;
    try {
      report = read_into_model(text, automatic_threads(), numbers);
    } catch (const std::bad_alloc&) {
      report = out_of_memory();
    }
    if (report.ok() && !report.complete) report.error = "The text was not read whole, so nothing was pasted.";
    if (report.ok() && hull == nullptr) report.error = "The text holds no map, so nothing was pasted.";
    model_aside pasted;
    if (report.ok()) pasted.swap_with_model();
    release_failed_read();
    open_map.swap_with_model();
    map_dialect = dialect;
    origin = camera;
    if (report.ok() && !pasted.move_into_model(added)) {
      report.error = "The map has no room for that many more point entities; nothing was pasted.";
      pasted.swap_with_model();  // what was read goes, the open map waiting in pasted
      release_failed_read();
      pasted.swap_with_model();
    }
    if (report.ok()) {
      map_source.numbers.append(numbers);
    }
    return report;
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  }
}

load_report read_map(const std::string& path, int threads) {
  try {
    std::string text;
    if (std::string error = read_whole_file(path, text); !error.empty()) {
      load_report r;
      r.error = std::move(error);
      return r;
    }
    load_report r = read_own_text(std::move(text), threads);
    if (r.not_a_map) r.error = path + " is not a map file";
    return r;
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  }
}
