// Renaming a texture over the map or the selection.
#pragma once

#include <string>

// Gives every face that uses texture `from` (in any case, as textures are
// found) the texture `to`: over every brush of the map, or only over the
// selected ones. Returns how many faces changed.
int replace_texture(const std::string& from, const std::string& to, bool selected_only);
