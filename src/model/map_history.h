// Undo and redo of map changes. A step is the state of the whole map after a
// change, held as snapshots that share every brush and key/value list the
// change did not touch, so a step costs a pointer per brush plus copies of what
// changed. Restoring a state rebuilds the live records from the snapshot.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t HISTORY_STEPS = 100;  // undo steps kept; older ones are dropped

// Forgets every step and takes the map as it stands as the starting state
// (after a map is opened, begun or closed).
void history_reset();

// Records the map as it stands as a new step when it differs from the current
// state, dropping any steps that were undone. Returns true when a step was made.
bool history_record();

// A count that moves on with every step recorded, undone or redone and every
// reset: views drawn once compare it to know when to draw again.
std::uint64_t history_changes();

bool history_can_undo();
bool history_can_redo();

// Puts the map back to the state before the last step, or forward again. The
// live records are replaced: the selection, the current brush, the highlight
// and the picking results are cleared. False when there is nothing to do.
bool history_undo();
bool history_redo();

// Takes the map as it stands as what its file holds (after a save).
void history_mark_saved();
// Counts no state as saved (after a map was opened from something other than
// its own file), until the next mark.
void history_forget_saved();
// True when the map differs from what its file holds: the state last marked
// saved, or the starting state of the last reset.
bool history_unsaved();

// Bytes held by the history: snapshots plus the brush and text copies they
// share, each counted once.
std::size_t history_bytes();
