// Checks the invariants of the map model on the live state.
#pragma once

#include <string>

// Empty when every invariant holds, else a sentence naming the first that fails.
// Besides the list invariants it checks that the current brush, the highlighted
// face and every selected brush are records that still belong to the map.
std::string check_model();
