// What every reading of definitions must give, whatever the text: problems
// within it and listed no more than the limit, named classes that are found,
// and bases that resolve.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "defs/entity_defs.h"

inline void check_defs(entity_defs& defs, std::size_t text_size) {
  const auto require = [](bool condition) {
    if (!condition) std::abort();
  };
  resolve_bases(defs);
  require(defs.problems.size() <= static_cast<std::size_t>(MAX_LISTED_DEF_PROBLEMS));
  for (const def_problem& p : defs.problems) {
    require(p.line >= 1 && p.column >= 1);
    require(static_cast<std::size_t>(p.line) <= text_size + 1 &&
            static_cast<std::size_t>(p.column) <= text_size + 1);
  }
  for (const entity_class& c : defs.classes) {
    require(!c.name.empty());
    if (c.kind != class_kind::base) require(defs.find(c.name) != nullptr);
  }
}
