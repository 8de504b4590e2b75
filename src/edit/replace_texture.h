// Texture names over faces: renaming one texture over the map or the
// selection, putting the chosen texture on the selection, and finding where
// a texture is used. Only brush entities' brushes count: the boxes that stand
// for point entities carry a name no one chose.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "model/types.h"

// Whether a map file can hold name as a face's texture: not empty, and no
// space, line break or double quote.
bool texture_name_fits(const std::string& name);

// Gives every face that uses texture `from` (in any case, as textures are
// found) the texture `to`: over every brush of the map, or only over the
// selected ones. Returns how many faces changed.
int replace_texture(const std::string& from, const std::string& to, bool selected_only);

// The faces texture work goes to: the selected faces when there are any,
// else every face of the selected brushes but markers.
std::vector<surf*> texture_targets();

// Gives every face of texture_targets() the texture `name`; returns how many
// faces now have a different name.
int apply_texture(const std::string& name);

// The names of the textures the map's brushes use, in lower case.
std::set<std::string> textures_in_use();

// Makes the face selection every face of a shown brush that uses `name`, in
// any case, and empties the brush selection. Returns how many were picked.
int select_faces_using(const std::string& name);
