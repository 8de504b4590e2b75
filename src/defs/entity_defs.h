// Entity class definitions: the classes a game knows, their marker sizes and
// colours, and the keys each takes with their types, defaults and help. Read
// from FGD files and from the QUAKED comment blocks of QuakeC sources (DEF);
// a built-in set stands in when there are none. No Qt.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class class_kind { base, point, solid };
enum class key_kind { string, integer, real, choices, flags };

struct key_choice {
  std::string value, name;
};

struct key_flag {
  long bit = 0;
  std::string name;
  bool on = false;  // set by default
};

struct class_key {
  std::string name;
  key_kind kind = key_kind::string;
  std::string type;           // as the file spells it: "integer", "color255", "target_destination", ...
  std::string label;          // the short description
  std::string default_value;  // empty when there is none
  std::string description;    // the long one
  std::vector<key_choice> choices;
  std::vector<key_flag> flags;
};

struct entity_class {
  class_kind kind = class_kind::point;
  std::string name;
  std::string description;
  std::vector<std::string> bases;
  bool sized = false;  // mins and maxs were given
  float mins[3] = {}, maxs[3] = {};
  bool coloured = false;
  unsigned char colour[3] = {};
  // Class properties the editor does not use itself, such as model(...) or
  // studio(...): the name and the text between the parentheses.
  std::vector<std::pair<std::string, std::string>> properties;
  std::vector<class_key> keys;
  std::string file;  // where it was defined
  int line = 0;
};

struct def_problem {
  std::string file;
  int line = 0, column = 0;  // 1-based
  std::string text;
};

// Problems listed one by one; more are only counted, so that a file of some
// other kind does not bury the first ones.
constexpr int MAX_LISTED_DEF_PROBLEMS = 100;

struct entity_defs {
  std::vector<entity_class> classes;  // in the order read, base classes included
  std::vector<def_problem> problems;  // in the order met, at most MAX_LISTED_DEF_PROBLEMS
  int unlisted_problems = 0;

  // The point or solid class of that name, in any case; null when there is
  // none. Its keys, size and colour include what its bases give it once
  // resolve_bases has run.
  const entity_class* find(std::string_view name) const;
  // Counts of the classes as defined, base classes included.
  int count() const { return static_cast<int>(classes.size()); }
};

// Reads FGD text from file into defs. An @include is read from the including
// file's folder; a file met again is not read twice, and an include cycle is
// one problem. Reading goes on after a problem with the next class; a class
// with a problem is kept as far as it was read.
void read_fgd(std::string_view text, const std::string& file, entity_defs& defs);

// Reads every /*QUAKED ... */ block of text (a .def file or QuakeC source).
void read_def(std::string_view text, const std::string& file, entity_defs& defs);

// Reads the file at path by its kind: FGD for ".fgd", QUAKED blocks for
// anything else. Returns "" when it was read (problems or not), else why not.
std::string read_definition_file(const std::string& path, entity_defs& defs);

// Gives each class the keys of its bases (its own win, bases in order, before
// its own in the list), and their size and colour where it has none. A base
// that is not defined is a problem.
void resolve_bases(entity_defs& defs);

// The common classes of the base game, written for this editor, resolved.
const entity_defs& builtin_defs();

// Where a game keeps its definitions: *.fgd and *.def in game_folder and its
// id1, sorted by name, then the QuakeC sources that a progs.src there lists.
std::vector<std::string> find_definition_files(const std::string& game_folder);
