// The textures of the map document: where they come from (the game folder),
// and the switch that draws with them.
#include <QFileInfo>

#include "app/draw_window.h"
#include "app/map_document.h"
#include "app/user_settings.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "platform/platform.h"

namespace {

constexpr const char* TEXTURES_CAPTION = "textures";

}  // namespace

void map_document::load_textures() {
  textures_.clear();
  ++textures_generation_;
  if (game_folder_.empty()) return;
  textures_.load_palette(game_folder_);
  const std::string map_dir =
      FileData.file_name.empty() ? std::string()
                                 : QFileInfo(QString::fromStdString(FileData.file_name)).path().toStdString();
  textures_.open_wads(world_value("wad"), game_folder_, map_dir);
}

void map_document::report_texture_problems() {
  const std::vector<std::string> problems = textures_.take_new_problems();
  if (problems.empty()) return;
  std::string text = "Some textures cannot be shown; a checkerboard stands in for them:";
  for (const std::string& p : problems) text += "\n" + p;
  view_.timer().stop();
  MessageBox(&view_, text, TEXTURES_CAPTION, box_buttons::ok);
  view_.timer().start(TIMER_AFTER_DIALOG);
}

void map_document::CmGameFolder() {
  file_dialog_data folder;
  folder.file_name = game_folder_;
  view_.timer().stop();
  if (FolderDialog(&view_, folder) == IDOK) {
    game_folder_ = folder.file_name;
    user_settings().setValue(QString::fromLatin1(GAME_FOLDER_KEY), QString::fromStdString(game_folder_));
    load_textures();
    load_definitions();  // the game folder's own, unless files were chosen
    if (!textures_.has_palette()) {
      MessageBox(&view_,
                 "There is no palette (gfx/palette.lmp) in " + game_folder_ +
                     ",\nloose or in a PAK file, nor in its id1 folder. Textured drawing needs it.",
                 TEXTURES_CAPTION, box_buttons::ok);
      options.drawtextures = 0;
      textures_.take_new_problems();  // that one was just told
    }
  }
  view_.timer().start(TIMER_AFTER_DIALOG);
}

void map_document::CmTextureToggle() {
  if (options.drawtextures != 0) {
    options.drawtextures = 0;
    return;
  }
  if (!textures_.has_palette()) {
    view_.timer().stop();
    MessageBox(&view_,
               game_folder_.empty()
                   ? "Textured drawing needs the game's palette: choose the game folder\nwith Options/Game "
                     "folder... first."
                   : "Textured drawing needs the game's palette (gfx/palette.lmp), which is not in\n" +
                         game_folder_ + ".\nChoose the game folder with Options/Game folder...",
               TEXTURES_CAPTION, box_buttons::ok);
    view_.timer().start(TIMER_AFTER_DIALOG);
    return;
  }
  options.drawtextures = 1;
}

// The game folder remembered from an earlier run.
void map_document::restore_game_folder() {
  game_folder_ = user_settings().value(QString::fromLatin1(GAME_FOLDER_KEY)).toString().toStdString();
  view_.texture_of = [this](const std::string& name) -> const texture_image& {
    return textures_.texture(name);
  };
}
