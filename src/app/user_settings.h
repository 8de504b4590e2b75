// What the editor keeps between runs in the user's settings: the game folder,
// the maps opened last, the main window's place and the switches the user
// expects to find as they were left.
#pragma once

#include <QSettings>

QSettings user_settings();

constexpr const char* GAME_FOLDER_KEY = "game_folder";
constexpr const char* RECENT_FILES_KEY = "recent_files";
constexpr const char* WINDOW_GEOMETRY_KEY = "window_geometry";
constexpr const char* SHOW_EACH_PAIR_KEY = "show_each_pair";
constexpr const char* ENTITY_DEFINITIONS_KEY = "entity_definitions";
constexpr const char* TEXTURE_LOCK_KEY = "texture_lock";
constexpr const char* KEEP_LAYOUT_KEY = "keep_file_layout";
