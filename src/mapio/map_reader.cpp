#include "mapio/map_reader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/number_text.h"
#include "base/text_cursor.h"
#include "base/whole_file.h"
#include "edit/box_brush.h"
#include "mapio/file_face.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/view_options.h"

namespace {

constexpr int END = text_cursor::END;

// How many threads rebuild brushes when the caller leaves it open: the
// VELD_READ_THREADS environment variable when it is a positive number, else
// one a core.
int automatic_threads() {
  if (const char* env = std::getenv("VELD_READ_THREADS"); env != nullptr) {
    char* end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 64L));
  }
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, 64U));
}

// The brushes closed while a map is read, rebuilt from their planes. Every
// brush is rebuilt on its own, so while the reader goes on through the text,
// other threads take the brushes in batches; at the end the reader helps with
// what is left. Each brush's result is kept by its number, so what the reader
// reports does not depend on which thread rebuilt what, or when.
class brush_rebuilder {
 public:
  explicit brush_rebuilder(int threads) : helpers_(std::max(threads, 1) - 1) {}
  ~brush_rebuilder() { stop_helpers(true); }
  brush_rebuilder(const brush_rebuilder&) = delete;
  brush_rebuilder& operator=(const brush_rebuilder&) = delete;

  // Queues the closed brush b, whose record starts at pos in the text.
  void add(brush_t* b, std::size_t pos) {
    if (batches_.empty() || batches_.back()->count == BATCH) {
      if (!batches_.empty()) hand_over(batches_.back().get());
      batches_.push_back(std::make_unique<batch>());
    }
    batch& last = *batches_.back();
    last.brush[last.count] = b;
    last.pos[last.count] = pos;
    ++last.count;
  }

  // Rebuilds what no other thread has taken yet and waits for the rest. A
  // failure on any thread (memory ran out) is thrown here.
  void finish() {
    if (!batches_.empty() && !started_.empty()) hand_over(batches_.back().get());
    if (started_.empty()) {
      for (const auto& b : batches_) rebuild(*b);
    } else {
      {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        closing_.store(true, std::memory_order_release);
      }
      ready_.notify_all();
      take_batches();
      stop_helpers(false);
    }
    if (error_) std::rethrow_exception(error_);
  }

  std::size_t size() const {
    return batches_.empty() ? 0 : (batches_.size() - 1) * BATCH + batches_.back()->count;
  }
  int unbuilt(std::size_t i) const { return batches_[i / BATCH]->unbuilt[i % BATCH]; }
  std::size_t pos(std::size_t i) const { return batches_[i / BATCH]->pos[i % BATCH]; }

 private:
  static constexpr int BATCH = 32;
  static constexpr int SPIN = 2000;  // looks for a batch before a helper sleeps
  struct batch {
    std::array<brush_t*, BATCH> brush{};
    std::array<std::size_t, BATCH> pos{};
    std::array<int, BATCH> unbuilt{};
    int count = 0;
  };

  // A full batch goes to the queue; the helpers start with the first one, so
  // a small map never starts a thread.
  void hand_over(batch* b) {
    if (helpers_ == 0) return;
    if (started_.empty()) {
      try {
        for (int i = 0; i < helpers_; ++i) started_.emplace_back([this] { take_batches(); });
      } catch (const std::system_error&) {
        // No thread could be started: whatever did start helps, and the
        // reader rebuilds the rest at the end all the same.
        if (started_.empty()) helpers_ = 0;
      }
      if (started_.empty()) return;
    }
    {
      const std::lock_guard lock(mutex_);
      queue_.push_back(b);
      handed_.store(queue_.size(), std::memory_order_release);
    }
    ready_.notify_one();
  }

  void take_batches() {
    for (;;) {
      // Batches come every few tens of microseconds while a large map is
      // read, and waking a thread that went to sleep costs more than that, so
      // a helper looks a while before it waits.
      for (int spin = 0; spin < SPIN && handed_.load(std::memory_order_acquire) <= taken_.load() &&
                         !closing_.load(std::memory_order_acquire);
           ++spin) {
        std::this_thread::yield();
      }
      batch* b = nullptr;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return next_ < queue_.size() || closed_; });
        if (next_ == queue_.size()) return;
        b = queue_[next_++];
        taken_.store(next_);
      }
      rebuild(*b);
    }
  }

  void rebuild(batch& b) {
    try {
      for (int i = 0; i < b.count; ++i) b.unbuilt[i] = fixbrush(b.brush[i]);
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
    }
  }

  // With drop, the batches no thread has taken are left alone: the read
  // failed and its brushes are about to be released.
  void stop_helpers(bool drop) {
    if (started_.empty()) return;
    {
      const std::lock_guard lock(mutex_);
      closed_ = true;
      closing_.store(true, std::memory_order_release);
      if (drop) next_ = queue_.size();
    }
    ready_.notify_all();
    for (std::thread& t : started_) t.join();
    started_.clear();
  }

  int helpers_;
  std::vector<std::unique_ptr<batch>> batches_;  // the reader's own; only the batches in them are shared
  std::vector<std::thread> started_;

  std::mutex mutex_;  // guards what follows
  std::condition_variable ready_;
  std::vector<batch*> queue_;
  std::size_t next_ = 0;  // the first batch of queue_ not taken yet
  bool closed_ = false;   // no more batches will come
  // Copies of the queue's length, how many were taken and closed_, for a
  // helper to look at without the lock.
  std::atomic<std::size_t> handed_{0}, taken_{0};
  std::atomic<bool> closing_{false};
  std::exception_ptr error_;
};

// The reader walks the text one character at a time; its state is which kind
// of record the last '{' opened.
class map_reader {
 public:
  map_reader(std::string_view text, int threads) : text_(text), in_(text), rebuilt_(threads) {}
  // The pairs of an entity still open when reading is cut short by an
  // exception are not yet in the model.
  ~map_reader() { free_keyvals(list_); }
  map_reader(const map_reader&) = delete;
  map_reader& operator=(const map_reader&) = delete;

  // Reads into the program-wide model, which the caller has emptied.
  load_report run();

 private:
  enum class state { outside, brush_entity, brush, point_entity };

  int get() { return in_.get(); }
  void unget() { in_.unget(); }
  bool skip_past(char c) { return in_.skip_past(c); }
  bool next_word(std::string_view& out) { return in_.next_word(out); }
  // A key: the characters up to c, consuming c; false at the end of the text.
  bool read_until(char c, std::string& out);
  // A value after its opening quote, consuming the closing one.
  bool read_value(std::string& out);
  void drop_nuls(std::size_t start, std::string& out);
  float number(std::string_view word);
  // The next word read as a number; false when only whitespace is left.
  bool next_number(float& out);
  [[gnu::noinline, gnu::cold]] void report_malformed(std::string_view word);
  bool read_origin(const std::string& value, vertex_t& out);

  int getheader(tmapentity_t* entity, keyval** header);
  void token(tmapentity_t* entity, keyval* node, const std::string& key, const std::string& value);
  bool saveentity(tmapentity_t* entity, keyval* header);
  bool read_face();
  bool read_axis(float axis[3], float& offset);
  void read_extra(surf* s);
  bool brush_follows();

  void open_entity();
  void start_brush_entity();
  void open_brush();
  void read_word_in_brush();
  void close_record();
  void read_stray_pair();

  void problem(std::size_t pos, std::string text);
  void add_rebuild_problems();
  void stop(std::size_t pos, const std::string& why);
  bool looks_like_a_map() const;

  std::string_view text_;
  text_cursor in_;

  load_report report_;
  bool stopped_ = false;
  bool refused_ = false;
  bool pairs_cut_ = false;                             // the text ended inside an entity's leading pairs
  std::size_t first_entity_ = std::string_view::npos;  // where the first entity's '{' stands

  state state_ = state::outside;
  tmapentity_t scratch_;
  keyval* list_ = nullptr;  // key/value list of the open entity, not yet stored
  keyval** list_tail_ = &list_;
  hull_t** hull_tail_ = &hull;
  hull_t* current_hull_ = nullptr;
  brush_t** brush_tail_ = nullptr;
  brush_t* current_brush_ = nullptr;
  surf** face_tail_ = nullptr;
  std::size_t brush_start_ = 0;
  keyval* origin_node_ = nullptr;  // the "origin" pair of the open entity, if it had one

  // Faces seen of each syntax, which decide the map's dialect.
  int valve_faces_ = 0;
  int quake2_faces_ = 0;  // three numbers after the scales
  int hexen2_faces_ = 0;  // one number after the scales

  std::string key_, value_;  // reused so most pairs need no allocation

  // The closed brushes are rebuilt aside; the problems they have are put in
  // among the others at the end. For each listed problem, how many brushes
  // had been closed before it.
  brush_rebuilder rebuilt_;
  std::vector<std::size_t> brushes_before_;
};

bool map_reader::read_until(char c, std::string& out) {
  const std::size_t start = in_.pos();
  if (!in_.read_until(c, out)) return false;
  drop_nuls(start, out);
  return true;
}

bool map_reader::read_value(std::string& out) {
  const std::size_t start = in_.pos();
  if (!in_.read_value(out)) return false;
  drop_nuls(start, out);
  // An escaped quote is read as one while a further quote follows on its
  // line; one with a line break after it inside the value would close the
  // value once it is written out.
  for (std::size_t q = out.find("\\\""); q != std::string::npos; q = out.find("\\\"", q + 2)) {
    const std::size_t next = out.find('"', q + 2);
    const std::size_t line_end = out.find_first_of("\r\n", q + 2);
    if (line_end != std::string::npos && line_end < next) {
      report_.complete = false;
      problem(start, "a value holds a quote before a line break and cannot be saved as it is");
      break;
    }
  }
  return true;
}

void map_reader::drop_nuls(std::size_t start, std::string& out) {
  // Keys and values are kept as C strings, where a NUL would end the text
  // early: what the reader compared ("origin", "classname") would not be what
  // gets saved. The NULs go, and the report says so.
  if (out.find('\0') != std::string::npos) {
    std::erase(out, '\0');
    problem(start, "a key or value held NUL characters; they were removed");
  }
}

// Three numbers, malformed ones read as 0 and counted like any other.
bool map_reader::read_origin(const std::string& value, vertex_t& out) {
  text_cursor words(value);
  std::string_view word[4];
  int count = 0;
  while (count < 4 && words.next_word(word[count])) ++count;
  if (count != 3) return false;
  out = vertex_t{number(word[0]), number(word[1]), number(word[2])};
  return true;
}

float map_reader::number(std::string_view word) {
  bool malformed = false;
  const float v = float_from_text(word, &malformed);
  if (malformed) [[unlikely]]
    report_malformed(word);
  return v;
}

bool map_reader::next_number(float& out) {
  if (in_.peek_past_space() == END) return false;
  const char* const start = text_.data() + in_.pos();
  const char* end = start;
  bool malformed = false;
  out = float_from_word(start, text_.data() + text_.size(), &end, &malformed);
  in_.move_to(static_cast<std::size_t>(end - text_.data()));
  if (malformed) [[unlikely]]
    report_malformed(std::string_view(start, static_cast<std::size_t>(end - start)));
  return true;
}

void map_reader::report_malformed(std::string_view word) {
  ++report_.malformed_numbers;
  problem(in_.pos() - word.size(), "the number \"" + std::string(word) + "\" is malformed and was read as 0");
}

void map_reader::problem(std::size_t pos, std::string text) {
  if (static_cast<int>(report_.problems.size()) >= MAX_LISTED_PROBLEMS) {
    ++report_.unlisted_problems;
    return;
  }
  report_.problems.push_back({in_.line_at(pos), std::move(text)});
  brushes_before_.push_back(rebuilt_.size());
}

// The problems of the rebuilt brushes, merged with the others in file order
// as if each had been listed when its brush closed.
void map_reader::add_rebuild_problems() {
  std::vector<load_problem> listed = std::move(report_.problems);
  report_.problems.clear();
  text_cursor lines(text_);
  auto add = [this](load_problem p) {
    if (static_cast<int>(report_.problems.size()) >= MAX_LISTED_PROBLEMS) {
      ++report_.unlisted_problems;
    } else {
      report_.problems.push_back(std::move(p));
    }
  };
  std::size_t b = 0;
  auto add_brushes_before = [&](std::size_t end) {
    for (; b < end; ++b) {
      if (const int unbuilt = rebuilt_.unbuilt(b); unbuilt > 0) {
        add({lines.line_at(rebuilt_.pos(b)),
             std::to_string(unbuilt) +
                 " face(s) of this brush have a plane that is not a number and were not built"});
      }
    }
  };
  for (std::size_t i = 0; i < listed.size(); ++i) {
    add_brushes_before(brushes_before_[i]);
    add(std::move(listed[i]));
  }
  add_brushes_before(rebuilt_.size());
}

// Reading ends here; what was linked so far stays, and the report says what
// the open records lost.
void map_reader::stop(std::size_t pos, const std::string& why) {
  static constexpr const char* lost[] = {
      "",
      "; the entity's key/value pairs were not kept",
      "; the open brush was not rebuilt and its entity's key/value pairs were not kept",
      "; the point entity was not added",
  };
  stopped_ = true;
  report_.complete = false;
  problem(pos, why + lost[static_cast<int>(state_)]);
}

// Reads the pairs after an entity's '{' into a new list headed by *header.
// Returns 0 for a point entity (it had an "origin" pair), 1 otherwise, and 1
// at once when the text ends.
int map_reader::getheader(tmapentity_t* entity, keyval** header) {
  *header = nullptr;
  origin_node_ = nullptr;
  keyval** tail = header;
  bool point = false;
  for (;;) {
    int c = get();
    while (is_space(c)) c = get();
    if (c == END) break;
    if (c != '"') {
      unget();
      list_tail_ = tail;
      return point ? 0 : 1;
    }
    const std::size_t at = in_.pos() - 1;
    if (!read_until('"', key_) || !skip_past('"')) break;
    if (!read_value(value_)) break;
    auto* node = new keyval;
    *tail = node;
    tail = &node->next;
    token(entity, node, key_, value_);
    // The origin stays in the list where it stood: a brush entity keeps it
    // there, a point entity takes it out when it is stored.
    if (key_ == "origin") {
      if (read_origin(value_, entity->origin[0])) {
        point = true;
        origin_node_ = node;
      } else {
        problem(at, "the origin \"" + value_ + "\" is not three numbers; it was kept as an ordinary pair");
      }
    }
  }
  pairs_cut_ = true;
  list_tail_ = tail;
  return 1;
}

void map_reader::token(tmapentity_t* entity, keyval* node, const std::string& key, const std::string& value) {
  node->key = new_text_block(key.c_str());
  node->value = new_text_block(value.c_str());
  if (key == "message") copy_field(entity->message, sizeof entity->message, value.c_str());
  if (key == "wad") copy_field(entity->wad, sizeof entity->wad, value.c_str());
  if (key == "classname") copy_field(entity->classname, sizeof entity->classname, value.c_str());
  if (key == "target") copy_field(entity->target, sizeof entity->target, value.c_str());
  if (key == "targetname") copy_field(entity->targetname, sizeof entity->targetname, value.c_str());
}

// Appends a point entity with its marker box; false when the table is full.
bool map_reader::saveentity(tmapentity_t* entity, keyval* header) {
  if (numentity == MAX_ENTITIES) return false;
  const short slot = numentity++;
  dentity_t& e = entities[slot];
  // The writer puts the origin after the other pairs.
  e.header = origin_node_ != nullptr ? delete_keyval(header, origin_node_) : header;
  origin_node_ = nullptr;
  e.origin = entity->origin[0];
  e.valid = 1;
  brush_t* marker = new_brush(&e.origin, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  marker->entity = slot;
  marker->valid = 1;
  e.brush = marker;
  return true;
}

// After a face's first '(': three points, the texture name and five numbers.
// Returns false, linking nothing, when the text ends first.
bool map_reader::read_face() {
  float p[3][3];
  std::string_view word;
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !skip_past('(')) return false;
    for (float& v : p[i]) {
      if (!next_number(v)) return false;
    }
  }
  if (!skip_past(')')) return false;
  if (!next_word(word)) return false;
  const std::string_view texture = word;

  // Standard: offsets, rotation, scales. Valve 220: an axis with its offset
  // for each direction, then rotation and scales.
  const bool valve = in_.peek_past_space() == '[';
  float axes[2][3];
  float values[5];
  if (valve) {
    if (!read_axis(axes[0], values[0]) || !read_axis(axes[1], values[1])) return false;
  }
  for (int i = valve ? 2 : 0; i < 5; ++i) {
    if (!next_number(values[i])) return false;
  }

  const vertex_t points[3] = {
      {p[0][0], p[0][1], p[0][2]}, {p[1][0], p[1][1], p[1][2]}, {p[2][0], p[2][1], p[2][2]}};
  surf* s = append_file_face(current_brush_, face_tail_, points, texture);
  s->sofs = values[0];
  s->tofs = values[1];
  s->flips = values[2];
  s->scale[0] = values[3];
  s->scale[1] = values[4];
  if (valve) {
    ++valve_faces_;
    s->hasaxes = 1;
    std::copy(axes[0], axes[0] + 3, s->texaxis[0]);
    std::copy(axes[1], axes[1] + 3, s->texaxis[1]);
  }
  read_extra(s);
  return true;
}

// "[ x y z offset ]", the brackets apart from the numbers or against them.
bool map_reader::read_axis(float axis[3], float& offset) {
  if (!skip_past('[')) return false;
  std::string_view word;
  bool closed = false;
  for (int k = 0; k < 4; ++k) {
    if (!next_word(word)) return false;
    if (k == 0 && word.size() > 1 && word.front() == '[') word.remove_prefix(1);
    if (k == 3 && word.size() > 1 && word.back() == ']') {
      word.remove_suffix(1);
      closed = true;
    }
    (k < 3 ? axis[k] : offset) = number(word);
  }
  return closed || skip_past(']');
}

// Numbers after the scales, up to the next face or the end of the brush.
void map_reader::read_extra(surf* s) {
  int count = 0;
  for (int c = in_.peek_past_space(); (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
       c = in_.peek_past_space()) {
    std::string_view word;
    next_word(word);
    if (!s->extra.empty()) s->extra += ' ';
    s->extra += word;
    ++count;
  }
  if (count == 3) ++quake2_faces_;
  if (count == 1) ++hexen2_faces_;
}

void map_reader::open_entity() {
  const std::size_t at = in_.pos() - 1;
  if (first_entity_ == std::string_view::npos) first_entity_ = at;
  if (state_ == state::point_entity) {
    problem(at, "a point entity was not closed before the next '{' and was not added");
    free_keyvals(list_);
  }
  zeromapentity(&scratch_);
  if (getheader(&scratch_, &list_) == 0) {
    state_ = state::point_entity;
    return;
  }
  start_brush_entity();
}

void map_reader::start_brush_entity() {
  ++report_.brush_entities;
  auto* h = new hull_t;
  copy_field(h->classname, sizeof h->classname, scratch_.classname);
  copy_field(h->wad, sizeof h->wad, scratch_.wad);
  copy_field(h->message, sizeof h->message, scratch_.message);
  copy_field(h->target, sizeof h->target, scratch_.target);
  copy_field(h->targetname, sizeof h->targetname, scratch_.targetname);
  *hull_tail_ = h;
  hull_tail_ = &h->next;
  current_hull_ = h;
  brush_tail_ = &h->brush;
  state_ = state::brush_entity;
}

void map_reader::open_brush() {
  if (state_ == state::brush) {
    problem(brush_start_, "a brush was not closed before the next '{'; its faces were not rebuilt");
  }
  zeromapentity(&scratch_);
  auto* b = new brush_t;
  b->valid = 1;
  b->vis = 1;
  b->entity = -1;
  b->hull = current_hull_;
  *brush_tail_ = b;
  brush_tail_ = &b->next;
  current_brush_ = b;
  face_tail_ = &b->fsurf;
  brush_start_ = in_.pos() - 1;
  state_ = state::brush;
}

void map_reader::close_record() {
  switch (state_) {
    case state::brush:
      // "Fix brushes" off leaves the faces as read.
      if (options.fixb != 0) rebuilt_.add(current_brush_, brush_start_);
      state_ = state::brush_entity;
      break;
    case state::brush_entity:
      if (current_hull_->brush == nullptr) current_hull_->keepempty = 1;
      current_hull_->header = list_;
      list_ = nullptr;
      list_tail_ = &list_;
      state_ = state::outside;
      break;
    case state::point_entity:
      if (!saveentity(&scratch_, list_)) {
        refused_ = true;
        report_.error = "The map has more point entities than the limit of " + std::to_string(MAX_ENTITIES) +
                        " (the first one over it ends on line " + std::to_string(in_.line_at(in_.pos() - 1)) +
                        "); it was not opened.";
        return;
      }
      list_ = nullptr;
      list_tail_ = &list_;
      state_ = state::outside;
      break;
    case state::outside:
      break;
  }
  zeromapentity(&scratch_);
}

// After a '{' in a point entity: a brush, rather than the next entity, when
// a face or the brush's end comes first.
bool map_reader::brush_follows() {
  for (;;) {
    const int c = in_.peek_past_space();
    if (c != '/') return c == '(' || c == '}' || std::isalpha(c) != 0;
    in_.skip_line();
  }
}

// A word where a face should start. Patches and brushes in a syntax with
// their own texture matrices would be lost on save, so such a map is not
// opened at all; anything else is skipped and reported.
void map_reader::read_word_in_brush() {
  const std::size_t at = in_.pos();
  std::string_view word;
  next_word(word);
  if (word.starts_with("patchDef") || word.starts_with("brushDef")) {
    refused_ = true;
    report_.error = "The map holds a \"" + std::string(word) + "\" on line " +
                    std::to_string(in_.line_at(at)) + ", which this editor cannot keep; it was not opened.";
    return;
  }
  report_.complete = false;
  problem(at, "the word \"" + std::string(word) + "\" inside a brush is not part of a face and was skipped");
}

// A pair after a brush or between entities. It joins the open entity's list
// after the pairs already there; outside any entity there is nowhere to keep it.
void map_reader::read_stray_pair() {
  const std::size_t at = in_.pos() - 1;
  ++report_.obsolete_pairs;
  if (!read_until('"', key_) || !skip_past('"') || !read_value(value_)) {
    stop(at, "the file ends inside a key/value pair");
    return;
  }
  if (state_ == state::outside) {
    problem(at, "the pair \"" + key_ + "\" \"" + value_ + "\" outside any entity was dropped");
    return;
  }
  // Saved among the leading pairs, a late "origin" would move a point entity
  // or turn a brush entity without brushes into one when read again. A brush
  // entity with brushes keeps it, as it keeps an origin among its leading pairs.
  const bool has_brushes =
      state_ != state::point_entity && current_hull_ != nullptr && current_hull_->brush != nullptr;
  if (key_ == "origin" && !has_brushes) {
    problem(at, "the pair \"origin\" \"" + value_ + "\" after the entity's leading pairs was dropped");
    return;
  }
  // Its numbers are looked at now, as they will be when the map is read again.
  vertex_t unused;
  if (key_ == "origin") read_origin(value_, unused);
  keyval* node = new_keyval(key_.c_str(), value_.c_str());
  *list_tail_ = node;
  list_tail_ = &node->next;
}

// Text with no entity at all, or with NUL characters before the first one,
// is some other kind of file: opened as an empty map, it would be written over
// with nothing at the next save. Whitespace alone has nothing to lose.
bool map_reader::looks_like_a_map() const {
  if (first_entity_ == std::string_view::npos) {
    return std::all_of(text_.begin(), text_.end(),
                       [](char c) { return is_space(static_cast<unsigned char>(c)); });
  }
  return text_.substr(0, first_entity_).find('\0') == std::string_view::npos;
}

load_report map_reader::run() {
  origin = vertex_t{};
  zeromapentity(&scratch_);

  while (!stopped_ && !refused_) {
    const int c = get();
    if (c == END) break;
    switch (c) {
      case '/':
        in_.skip_line();
        break;
      case '{':
        if (state_ == state::brush_entity || state_ == state::brush) {
          open_brush();
        } else if (state_ == state::point_entity && brush_follows()) {
          // An entity with an origin and brushes (a rotating door in some
          // games): a brush entity that keeps its origin pair.
          origin_node_ = nullptr;
          start_brush_entity();
          open_brush();
        } else {
          open_entity();
        }
        break;
      case '(':
        if (state_ != state::brush) {
          stop(in_.pos() - 1, "reading stopped at a '(' outside a brush");
        } else if (!read_face()) {
          stop(in_.pos(), "the file ends inside a face");
        }
        break;
      case '}':
        close_record();
        break;
      case '"':
        read_stray_pair();
        break;
      default:
        if (state_ == state::brush && (std::isalpha(c) != 0 || c == '_')) {
          unget();
          read_word_in_brush();
        }
        break;
    }
  }

  if (!refused_ && !looks_like_a_map()) {
    refused_ = true;
    report_.not_a_map = true;
    report_.error = "The text is not a map file.";
  }
  if (!stopped_ && !refused_ && state_ != state::outside) {
    stop(in_.pos(), pairs_cut_                      ? "the file ends inside an entity's key/value pairs"
                    : state_ == state::brush        ? "the file ends inside a brush"
                    : state_ == state::point_entity ? "the file ends inside a point entity"
                                                    : "the file ends inside a brush entity");
  }
  free_keyvals(list_);
  list_ = nullptr;
  map_dialect = valve_faces_ > 0    ? DIALECT_VALVE
                : quake2_faces_ > 0 ? DIALECT_QUAKE2
                : hexen2_faces_ > 0 ? DIALECT_HEXEN2
                                    : DIALECT_STANDARD;

  if (!refused_) {
    rebuilt_.finish();
    add_rebuild_problems();
  }

  if (refused_) {
    load_report refused;
    refused.error = report_.error;
    refused.not_a_map = report_.not_a_map;
    return refused;
  }
  return std::move(report_);
}

// The lists of the map that was in the model while another is read, so that
// a read that fails can put it back as it was.
class model_aside {
 public:
  // Allocates all it needs here, before anything is moved.
  model_aside() : entities_(MAX_ENTITIES) {}

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

}  // namespace

load_report read_map_text(std::string_view text, int threads) {
  const vertex_t camera = origin;
  try {
    model_aside earlier;
    earlier.swap_with_model();
    load_report report;
    try {
      report = map_reader(text, threads > 0 ? threads : automatic_threads()).run();
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

load_report read_map(const std::string& path, int threads) {
  try {
    std::string text;
    if (std::string error = read_whole_file(path, text); !error.empty()) {
      load_report r;
      r.error = std::move(error);
      return r;
    }
    load_report r = read_map_text(text, threads);
    if (r.not_a_map) r.error = path + " is not a map file";
    return r;
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  }
}
