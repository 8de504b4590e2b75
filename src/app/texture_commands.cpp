// The game folder, textured drawing and light: where the textures come
// from, and the two switches that use them.
#include <QFileInfo>
#include <QSettings>

#include "app/draw_window.h"
#include "model/map_state.h"
#include "platform/platform.h"
#include "render/render_state.h"

namespace {

constexpr const char* GAME_FOLDER_KEY = "game_folder";
constexpr const char* TEXTURES_CAPTION = "textures";

QSettings user_settings() { return QSettings(QStringLiteral("veld"), QStringLiteral("veld")); }

}  // namespace

void TDrawWindow::load_textures() {
  textures_.clear();
  if (game_folder_.empty()) return;
  textures_.load_palette(game_folder_);
  const std::string map_dir =
      FileData.file_name.empty() ? std::string()
                                 : QFileInfo(QString::fromStdString(FileData.file_name)).path().toStdString();
  textures_.open_wads(world_value("wad"), game_folder_, map_dir);
}

void TDrawWindow::report_texture_problems() {
  const std::vector<std::string> problems = textures_.take_new_problems();
  if (problems.empty()) return;
  std::string text = "Some textures cannot be shown; a checkerboard stands in for them:";
  for (const std::string& p : problems) text += "\n" + p;
  timer_.stop();
  MessageBox(this, text, TEXTURES_CAPTION, box_buttons::ok);
  timer_.start(TIMER_AFTER_DIALOG);
}

void TDrawWindow::CmGameFolder() {
  file_dialog_data folder;
  folder.file_name = game_folder_;
  timer_.stop();
  if (FolderDialog(this, folder) == IDOK) {
    game_folder_ = folder.file_name;
    user_settings().setValue(QString::fromLatin1(GAME_FOLDER_KEY), QString::fromStdString(game_folder_));
    load_textures();
    if (!textures_.has_palette()) {
      MessageBox(this,
                 "There is no palette (gfx/palette.lmp) in " + game_folder_ +
                     ",\nloose or in a PAK file, nor in its id1 folder. Textured drawing needs it.",
                 TEXTURES_CAPTION, box_buttons::ok);
      drawtextures = 0;
      textures_.take_new_problems();  // that one was just told
    }
  }
  timer_.start(TIMER_AFTER_DIALOG);
}

void TDrawWindow::CmTextureToggle() {
  if (drawtextures != 0) {
    drawtextures = 0;
    return;
  }
  if (!textures_.has_palette()) {
    timer_.stop();
    MessageBox(this,
               game_folder_.empty()
                   ? "Textured drawing needs the game's palette: choose the game folder\nwith Options/Game "
                     "folder... first."
                   : "Textured drawing needs the game's palette (gfx/palette.lmp), which is not in\n" +
                         game_folder_ + ".\nChoose the game folder with Options/Game folder...",
               TEXTURES_CAPTION, box_buttons::ok);
    timer_.start(TIMER_AFTER_DIALOG);
    return;
  }
  drawtextures = 1;
}

void TDrawWindow::CmLightToggle() { drawlight = drawlight == 0 ? 1 : 0; }

// The game folder remembered from an earlier run.
void TDrawWindow::restore_game_folder() {
  game_folder_ = user_settings().value(QString::fromLatin1(GAME_FOLDER_KEY)).toString().toStdString();
  texture_of = [this](const std::string& name) -> const texture_image& { return textures_.texture(name); };
}
