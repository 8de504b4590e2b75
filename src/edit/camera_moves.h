// Putting the camera where the user asks: at the player's start, looking the
// way the player will, or back from the selection with all of it in view.
#pragma once

// The first point entity of class info_player_start, as a slot of `entities`;
// -1 when the map has none.
int player_start_slot();

// Moves the camera to the player start's origin, level, looking along its
// "angle" (degrees about z, 0 along +x, 90 along +y; 0 when it has none).
// False, with the camera left alone, when the map has no player start.
bool go_to_player_start();

// Keeps the camera's direction and puts it in front of the centre of the
// selected brushes, far enough back that the box around them fits in the
// picture for a focal length and zoom. False, with the camera left alone,
// when nothing is selected.
bool centre_on_selection(float focal_length, float zoom);
