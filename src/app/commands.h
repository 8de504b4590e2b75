// Every command of the menu, the control bar and the keyboard, in one table.
// The frame builds its menus and its control bar from it and refreshes each
// command's enabled and checked state from it; the drawing window runs
// commands and the 3D view's command keys through it. A new command is an id
// and a row here.
#pragma once

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyCombination>
#include <QStringList>
#include <array>
#include <string>

#include "app/draw_window.h"
#include "app/edit_values_dialog.h"
#include "app/entity_panel.h"
#include "app/face_panel.h"
#include "app/plan_window.h"
#include "app/replace_textures_dialog.h"
#include "app/texture_panel.h"
#include "app/user_settings.h"
#include "app/view_layout.h"
#include "edit/box_brush.h"
#include "edit/camera_moves.h"
#include "edit/replace_texture.h"
#include "edit/transforms.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "platform/platform.h"
#include "platform/virtual_keys.h"
#include "render/frame_list.h"
#include "render/render_state.h"

enum command_id {
  CM_FILEOPEN = 101,
  CM_FILENEW = 102,
  CM_FILEEXIT = 103,
  CM_FILECLOSE = 104,
  CM_FILESAVE = 105,
  CM_DIRX = 106,
  CM_DIRY = 107,
  CM_DIRZ = 108,
  CM_ENTITYTOGGLE = 109,
  CM_SOLIDTOGGLE = 110,
  CM_PROPERTIES = 111,
  CM_OBJECTSAVE = 112,
  CM_FILEOPENOBJECT = 113,
  CM_FIX = 114,
  CM_EXPORTRAW = 115,
  CM_EDITUNDO = 116,
  CM_EDITREDO = 117,
  CM_VIEWTOP = 118,
  CM_VIEWFRONT = 119,
  CM_VIEWSIDE = 120,
  CM_VIEWTILE = 121,
  CM_SNAPTOGRID = 122,
  CM_GAMEFOLDER = 123,
  CM_TEXTURETOGGLE = 124,
  CM_LIGHTTOGGLE = 125,
  CM_FILESAVEAS = 126,
  CM_VIEWFOUR = 127,
  CM_GOTOPLAYERSTART = 128,
  CM_CENTRESELECTION = 129,
  CM_SHOWEACHPAIR = 130,
  CM_RECENT1 = 131,  // the recent files, one id a line, CM_RECENT1 the newest
  CM_RECENT8 = CM_RECENT1 + 7,
  CM_CLIPTOOL = 139,
  CM_VERTEXMODE = 140,
  CM_DUPLICATE = 141,
  CM_COPY = 142,
  CM_ENTITYDEFS = 143,
  CM_TEXTURELOCK = 144,
  CM_VIEWENTITIES = 145,
  CM_PASTE = 146,
  CM_REPLACETEXTURES = 147,
  CM_KEEPLAYOUT = 160,
  CM_APPLYTEXTURE = 161,
  CM_VIEWTEXTURES = 162,
  CM_VIEWFACEINSPECTOR = 163,
  CM_SHIFTSLESS = 164,  // the texture steps of the face inspector, in its order
  CM_SHIFTSMORE = 165,
  CM_SHIFTTLESS = 166,
  CM_SHIFTTMORE = 167,
  CM_GRIDSLESS = 168,
  CM_GRIDSMORE = 169,
  CM_GRIDTLESS = 170,
  CM_GRIDTMORE = 171,
  CM_TURNLESS = 172,
  CM_TURNMORE = 173,
  CM_SCALESUP = 174,
  CM_SCALESDOWN = 175,
  CM_SCALETUP = 176,
  CM_SCALETDOWN = 177,
  CM_FITTEXTURE = 178,
  CM_JUSTIFYLEFT = 179,
  CM_JUSTIFYRIGHT = 180,
  CM_JUSTIFYTOP = 181,
  CM_JUSTIFYBOTTOM = 182,
  CM_JUSTIFYCENTRE = 183,
  CM_SELECTFACESUSING = 184,
  CM_EMBLEM = 300,  // the control bar's picture; sends nothing
};

// The menus of the menu bar, in their order.
enum class command_menu { file, edit, dir, options, view, texture };
inline constexpr const char* MENU_TITLES[] = {"&File", "&Edit", "&Dir", "&Options", "&View", "&Texture"};

struct command_row {
  int id;
  command_menu menu;
  const char* text;
  bool separator_before = false;  // a line above it in its menu
  // Its picture on the control bar; a command without one has no button.
  // Buttons follow the table's order, a gap between those of different menus.
  const char* image = nullptr;
  std::array<QKeyCombination, 2> shortcuts{};  // menu shortcuts; Qt::Key_unknown for none
  unsigned view_key = 0;                       // the 3D view's key for it, a virtual-key code; 0 for none
  // What it runs. A command that only flips a view switch names the switch
  // instead, and is checked while it is on.
  void (*run)(TDrawWindow&) = nullptr;
  int view_options::*toggles = nullptr;
  bool (*enabled)(const TDrawWindow&) = nullptr;  // null: always enabled
  bool (*checked)(const TDrawWindow&) = nullptr;  // for a checkable command that is not a plain switch
  // A command whose menu text changes, shown only while it has one; text is
  // then only its name in the table.
  std::string (*label)(const TDrawWindow&) = nullptr;
};

namespace command_rules {

inline bool map_open(const TDrawWindow& w) { return w.candraw != 0; }
inline int flipped(int flag) { return flag == 0 ? 1 : 0; }

// Line n of the recent files, as File/open would open it.
template <int N>
void open_recent(TDrawWindow& w) {
  w.document.CmOpenRecent(N);
}

// "&1 path", the path whole so that maps of one name in two folders differ;
// an empty text while the list is shorter.
template <int N>
std::string recent_label(const TDrawWindow& w) {
  const QStringList& files = w.document.recent_files();
  if (N >= files.size()) return {};
  QString path = files[N];
  path.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return "&" + std::to_string(N + 1) + " " + path.toStdString();
}

template <int N>
constexpr command_row recent_row() {
  return {.id = CM_RECENT1 + N,
          .menu = command_menu::file,
          .text = "recent file",
          .separator_before = N == 0,
          .run = open_recent<N>,
          .label = recent_label<N>};
}

// The restored map shows at the next tick; the selection and the highlight
// went with the records they pointed into. What the overhead view chose to
// show is not part of the history, so it is applied to the restored brushes.
inline void history_step(bool (*step)()) {
  if (step() && Srect.left != -1) find_visible_surfaces();
}

// A dock panel of the frame shown or hidden, and whether it is shown.
template <class Panel>
void toggle_panel(TDrawWindow& w) {
  if (auto* panel = dock_panel<Panel>(w)) panel->setVisible(!panel->isVisible());
}
template <class Panel>
bool panel_shown(const TDrawWindow& w) {
  const auto* panel = dock_panel<Panel>(w);
  return panel != nullptr && panel->isVisible();
}

// A step of the face inspector: its row in the Texture menu, with its key.
constexpr command_row face_step(int id, const char* text, QKeyCombination key, void (*run)(TDrawWindow&),
                                bool separator_before = false) {
  return {.id = id,
          .menu = command_menu::texture,
          .text = text,
          .separator_before = separator_before,
          .shortcuts = {key},
          .run = run,
          .enabled = faces_to_work_on};
}

}  // namespace command_rules

// clang-format off
inline constexpr command_row COMMANDS[] = {
    {.id = CM_FILENEW, .menu = command_menu::file, .text = "&new", .image = "new.png",
     .shortcuts = {Qt::CTRL | Qt::Key_N},
     .run = [](TDrawWindow& w) { w.document.CmFileNew(); }},
    {.id = CM_FILEOPEN, .menu = command_menu::file, .text = "&open", .image = "bitmap101.png",
     .shortcuts = {Qt::CTRL | Qt::Key_O},
     .run = [](TDrawWindow& w) { w.document.CmFileOpen(); }},
    {.id = CM_FILECLOSE, .menu = command_menu::file, .text = "&close", .image = "close.png",
     .run = [](TDrawWindow& w) { w.document.CmFileClose(); },
     .enabled = command_rules::map_open},
    {.id = CM_FILESAVE, .menu = command_menu::file, .text = "&save",
     .shortcuts = {Qt::CTRL | Qt::Key_S},
     .run = [](TDrawWindow& w) { w.document.CmFileSave(); },
     .enabled = command_rules::map_open},
    {.id = CM_FILESAVEAS, .menu = command_menu::file, .text = "save &as...",
     .shortcuts = {Qt::CTRL | Qt::SHIFT | Qt::Key_S},
     .run = [](TDrawWindow& w) { w.document.CmFileSaveAs(); },
     .enabled = command_rules::map_open},
    {.id = CM_FILEOPENOBJECT, .menu = command_menu::file, .text = "&openobject",
     .run = [](TDrawWindow& w) { w.document.CmFileOpenObject(); },
     .enabled = [](const TDrawWindow&) { return hull != nullptr; }},
    {.id = CM_OBJECTSAVE, .menu = command_menu::file, .text = "&saveobject",
     .run = [](TDrawWindow& w) { w.document.CmObjectSave(); },
     .enabled = [](const TDrawWindow&) { return !selection_empty(); }},
    {.id = CM_EXPORTRAW, .menu = command_menu::file, .text = "&ExportRaw",
     .run = [](TDrawWindow& w) { w.document.CmExportRaw(); },
     .enabled = command_rules::map_open},
    command_rules::recent_row<0>(), command_rules::recent_row<1>(), command_rules::recent_row<2>(),
    command_rules::recent_row<3>(), command_rules::recent_row<4>(), command_rules::recent_row<5>(),
    command_rules::recent_row<6>(), command_rules::recent_row<7>(),
    {.id = CM_FILEEXIT, .menu = command_menu::file, .text = "&exit", .separator_before = true,
     .run = [](TDrawWindow& w) { if (w.CanClose()) ExitProcess(0); }},

    {.id = CM_EDITUNDO, .menu = command_menu::edit, .text = "&Undo",
     .shortcuts = {Qt::CTRL | Qt::Key_Z},
     .run = [](TDrawWindow&) { command_rules::history_step(history_undo); },
     .enabled = [](const TDrawWindow&) { return history_can_undo(); }},
    {.id = CM_EDITREDO, .menu = command_menu::edit, .text = "&Redo",
     .shortcuts = {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y},
     .run = [](TDrawWindow&) { command_rules::history_step(history_redo); },
     .enabled = [](const TDrawWindow&) { return history_can_redo(); }},
    {.id = CM_CLIPTOOL, .menu = command_menu::edit, .text = "&Clip tool (C)", .separator_before = true,
     .run = [](TDrawWindow&) { toggle_clip_tool(); },
     .enabled = command_rules::map_open,
     .checked = [](const TDrawWindow&) { return options.clip_mode == 1; }},
    {.id = CM_VERTEXMODE, .menu = command_menu::edit, .text = "&Vertex editing (P)",
     .toggles = &view_options::vertex_mode},
    // As map text, so that it pastes into a text editor or another map editor.
    {.id = CM_COPY, .menu = command_menu::edit, .text = "&Copy",
     .shortcuts = {Qt::CTRL | Qt::Key_C},
     .run = [](TDrawWindow&) { QGuiApplication::clipboard()->setText(QString::fromStdString(selection_map_text())); },
     .enabled = [](const TDrawWindow& w) { return w.candraw != 0 && !selection_empty(); }},
    {.id = CM_PASTE, .menu = command_menu::edit, .text = "&Paste",
     .shortcuts = {Qt::CTRL | Qt::Key_V},
     .run = [](TDrawWindow& w) { paste_map_text(w, QGuiApplication::clipboard()->text().toStdString()); },
     .enabled = command_rules::map_open},
    {.id = CM_REPLACETEXTURES, .menu = command_menu::edit, .text = "&Replace textures...",
     .run = [](TDrawWindow& w) {
       w.timer().stop();
       TReplaceTextures dlg(w.QWidget::window());
       dlg.Execute();
       w.timer().start(TIMER_AFTER_DIALOG);
     },
     .enabled = command_rules::map_open},
    {.id = CM_DUPLICATE, .menu = command_menu::edit, .text = "&Duplicate",
     .shortcuts = {Qt::CTRL | Qt::Key_D},
     .run = [](TDrawWindow&) { duplicate_selection(); },
     .enabled = [](const TDrawWindow& w) { return w.candraw != 0 && !selection_empty(); }},

    {.id = CM_DIRX, .menu = command_menu::dir, .text = "&X", .image = "dir_x.png",
     .toggles = &view_options::dragx},
    {.id = CM_DIRY, .menu = command_menu::dir, .text = "&Y", .image = "dir_y.png",
     .toggles = &view_options::dragy},
    {.id = CM_DIRZ, .menu = command_menu::dir, .text = "&Z", .image = "dir_z.png",
     .toggles = &view_options::dragz},

    {.id = CM_ENTITYTOGGLE, .menu = command_menu::options, .text = "&draw entities",
     .toggles = &view_options::drawentity},
    // Both flags flip, each on its own: the S and T keys set them apart.
    {.id = CM_SOLIDTOGGLE, .menu = command_menu::options, .text = "&solid rendering",
     .run = [](TDrawWindow&) {
       options.allsolid = command_rules::flipped(options.allsolid);
       options.drawbsp = command_rules::flipped(options.drawbsp);
     },
     .checked = [](const TDrawWindow&) { return options.allsolid == 1; }},
    {.id = CM_FIX, .menu = command_menu::options, .text = "&fix brushes", .view_key = VK_BACKSLASH,
     .toggles = &view_options::fixb},
    {.id = CM_PROPERTIES, .menu = command_menu::options, .text = "&properties",
     .run = [](TDrawWindow& w) {
       TEditProp dlg(&w);
       dlg.Execute();
     }},
    // Kept for the next runs: a user who turned the boxes off wants them off.
    {.id = CM_SHOWEACHPAIR, .menu = command_menu::options, .text = "show &each pair",
     .run = [](TDrawWindow&) {
       options.show_each_pair = command_rules::flipped(options.show_each_pair);
       user_settings().setValue(QString::fromLatin1(SHOW_EACH_PAIR_KEY), options.show_each_pair);
     },
     .checked = [](const TDrawWindow&) { return options.show_each_pair == 1; }},
    {.id = CM_GAMEFOLDER, .menu = command_menu::options, .text = "&Game folder...", .separator_before = true,
     .run = [](TDrawWindow& w) { w.document.CmGameFolder(); }},
    {.id = CM_TEXTURETOGGLE, .menu = command_menu::options, .text = "&textures (X)",
     .view_key = vk_letter('X'),
     .run = [](TDrawWindow& w) { w.document.CmTextureToggle(); },
     .checked = [](const TDrawWindow&) { return options.drawtextures == 1; }},
    {.id = CM_LIGHTTOGGLE, .menu = command_menu::options, .text = "&light",
     .toggles = &view_options::drawlight},
    {.id = CM_ENTITYDEFS, .menu = command_menu::options, .text = "&Entity definitions...",
     .run = [](TDrawWindow& w) { w.document.CmEntityDefinitions(); }},
    // Kept for the next runs, as a mapper's way of working.
    {.id = CM_TEXTURELOCK, .menu = command_menu::options, .text = "texture l&ock",
     .run = [](TDrawWindow&) {
       texture_lock = command_rules::flipped(texture_lock);
       user_settings().setValue(QString::fromLatin1(TEXTURE_LOCK_KEY), texture_lock);
     },
     .checked = [](const TDrawWindow&) { return texture_lock == 1; }},
    {.id = CM_KEEPLAYOUT, .menu = command_menu::options, .text = "keep file &layout",
     .run = [](TDrawWindow&) {
       keep_file_layout = command_rules::flipped(keep_file_layout);
       user_settings().setValue(QString::fromLatin1(KEEP_LAYOUT_KEY), keep_file_layout);
     },
     .checked = [](const TDrawWindow&) { return keep_file_layout == 1; }},

    {.id = CM_VIEWTOP, .menu = command_menu::view, .text = "&Top",
     .run = [](TDrawWindow& w) { open_plan_view(w, plan_axis::top); },
     .enabled = command_rules::map_open},
    {.id = CM_VIEWFRONT, .menu = command_menu::view, .text = "&Front",
     .run = [](TDrawWindow& w) { open_plan_view(w, plan_axis::front); },
     .enabled = command_rules::map_open},
    {.id = CM_VIEWSIDE, .menu = command_menu::view, .text = "&Side",
     .run = [](TDrawWindow& w) { open_plan_view(w, plan_axis::side); },
     .enabled = command_rules::map_open},
    {.id = CM_VIEWTILE, .menu = command_menu::view, .text = "Tile",
     .run = [](TDrawWindow& w) { w.tileSubWindows(); }},
    {.id = CM_VIEWENTITIES, .menu = command_menu::view, .text = "&Entities",
     .run = command_rules::toggle_panel<TEntityPanel>,
     .checked = command_rules::panel_shown<TEntityPanel>},
    {.id = CM_VIEWTEXTURES, .menu = command_menu::view, .text = "Te&xtures",
     .run = command_rules::toggle_panel<TTexturePanel>,
     .checked = command_rules::panel_shown<TTexturePanel>},
    {.id = CM_VIEWFACEINSPECTOR, .menu = command_menu::view, .text = "Face &inspector",
     .run = command_rules::toggle_panel<TFaceInspector>,
     .checked = command_rules::panel_shown<TFaceInspector>},
    {.id = CM_VIEWFOUR, .menu = command_menu::view, .text = "&Four views",
     .run = arrange_four_views},
    // Plan views snap from the start; the 3D view only once the user has
    // chosen to here, so its own steps stay as they are unless asked.
    {.id = CM_SNAPTOGRID, .menu = command_menu::view, .text = "Snap to grid", .separator_before = true,
     .run = [](TDrawWindow&) {
       options.snap_to_grid = command_rules::flipped(options.snap_to_grid);
       options.snap_in_3d = options.snap_to_grid;
     },
     .checked = [](const TDrawWindow&) { return options.snap_to_grid == 1; }},
    {.id = CM_GOTOPLAYERSTART, .menu = command_menu::view, .text = "Go to &player start",
     .separator_before = true,
     .run = [](TDrawWindow&) { go_to_player_start(); },
     .enabled = [](const TDrawWindow& w) { return w.candraw != 0 && player_start_slot() >= 0; }},
    {.id = CM_CENTRESELECTION, .menu = command_menu::view, .text = "&Centre on selection",
     .run = [](TDrawWindow& w) { centre_on_selection(w.view, w.vd); },
     .enabled = [](const TDrawWindow& w) { return w.candraw != 0 && !selection_empty(); }},

    {.id = CM_APPLYTEXTURE, .menu = command_menu::texture, .text = "&Apply texture",
     .shortcuts = {Qt::CTRL | Qt::Key_T},
     .run = apply_current_texture,
     .enabled = [](const TDrawWindow& w) { return !current_texture.empty() && faces_to_work_on(w); }},
    {.id = CM_SELECTFACESUSING, .menu = command_menu::texture, .text = "&Select faces using texture",
     .run = [](TDrawWindow&) { select_faces_using(current_texture); },
     .enabled = [](const TDrawWindow& w) { return w.candraw != 0 && !current_texture.empty(); }},
    command_rules::face_step(CM_SHIFTSLESS, "Shift s \u2212 1 texel", Qt::CTRL | Qt::Key_Left,
                             [](TDrawWindow&) { shift_faces(-1, 0, false); }, true),
    command_rules::face_step(CM_SHIFTSMORE, "Shift s + 1 texel", Qt::CTRL | Qt::Key_Right,
                             [](TDrawWindow&) { shift_faces(1, 0, false); }),
    command_rules::face_step(CM_SHIFTTLESS, "Shift t \u2212 1 texel", Qt::CTRL | Qt::Key_Up,
                             [](TDrawWindow&) { shift_faces(0, -1, false); }),
    command_rules::face_step(CM_SHIFTTMORE, "Shift t + 1 texel", Qt::CTRL | Qt::Key_Down,
                             [](TDrawWindow&) { shift_faces(0, 1, false); }),
    command_rules::face_step(CM_GRIDSLESS, "Shift s \u2212 1 grid step", Qt::CTRL | Qt::SHIFT | Qt::Key_Left,
                             [](TDrawWindow&) { shift_faces(-1, 0, true); }),
    command_rules::face_step(CM_GRIDSMORE, "Shift s + 1 grid step", Qt::CTRL | Qt::SHIFT | Qt::Key_Right,
                             [](TDrawWindow&) { shift_faces(1, 0, true); }),
    command_rules::face_step(CM_GRIDTLESS, "Shift t \u2212 1 grid step", Qt::CTRL | Qt::SHIFT | Qt::Key_Up,
                             [](TDrawWindow&) { shift_faces(0, -1, true); }),
    command_rules::face_step(CM_GRIDTMORE, "Shift t + 1 grid step", Qt::CTRL | Qt::SHIFT | Qt::Key_Down,
                             [](TDrawWindow&) { shift_faces(0, 1, true); }),
    command_rules::face_step(CM_TURNLESS, "Turn \u221215\u00b0", Qt::CTRL | Qt::Key_PageDown,
                             [](TDrawWindow&) { turn_faces(-15); }, true),
    command_rules::face_step(CM_TURNMORE, "Turn +15\u00b0", Qt::CTRL | Qt::Key_PageUp,
                             [](TDrawWindow&) { turn_faces(15); }),
    command_rules::face_step(CM_SCALESUP, "Scale s \u00d72", Qt::ALT | Qt::Key_Right,
                             [](TDrawWindow&) { scale_faces(0, 2); }, true),
    command_rules::face_step(CM_SCALESDOWN, "Scale s \u00f72", Qt::ALT | Qt::Key_Left,
                             [](TDrawWindow&) { scale_faces(0, 0.5); }),
    command_rules::face_step(CM_SCALETUP, "Scale t \u00d72", Qt::ALT | Qt::Key_Down,
                             [](TDrawWindow&) { scale_faces(1, 2); }),
    command_rules::face_step(CM_SCALETDOWN, "Scale t \u00f72", Qt::ALT | Qt::Key_Up,
                             [](TDrawWindow&) { scale_faces(1, 0.5); }),
    command_rules::face_step(CM_FITTEXTURE, "&Fit", Qt::CTRL | Qt::Key_F, fit_faces, true),
    command_rules::face_step(CM_JUSTIFYLEFT, "Justify &left", Qt::ALT | Qt::SHIFT | Qt::Key_Left,
                             [](TDrawWindow& w) { justify_faces(w, justify::left); }),
    command_rules::face_step(CM_JUSTIFYRIGHT, "Justify &right", Qt::ALT | Qt::SHIFT | Qt::Key_Right,
                             [](TDrawWindow& w) { justify_faces(w, justify::right); }),
    command_rules::face_step(CM_JUSTIFYTOP, "Justify &top", Qt::ALT | Qt::SHIFT | Qt::Key_Up,
                             [](TDrawWindow& w) { justify_faces(w, justify::top); }),
    command_rules::face_step(CM_JUSTIFYBOTTOM, "Justify &bottom", Qt::ALT | Qt::SHIFT | Qt::Key_Down,
                             [](TDrawWindow& w) { justify_faces(w, justify::bottom); }),
    command_rules::face_step(CM_JUSTIFYCENTRE, "Justify &centre", Qt::CTRL | Qt::Key_J,
                             [](TDrawWindow& w) { justify_faces(w, justify::centre); }),
};
// clang-format on

// Each id names one action, and each key of the 3D view one command.
constexpr bool commands_apart() {
  for (const command_row& a : COMMANDS) {
    for (const command_row& b : COMMANDS) {
      if (&a == &b) continue;
      if (a.id == b.id || (a.view_key != 0 && a.view_key == b.view_key)) return false;
    }
  }
  return true;
}
static_assert(commands_apart(), "two commands share an id or a key");

// The row of id; null for an id that runs nothing (the emblem's).
inline const command_row* find_command(int id) {
  for (const command_row& c : COMMANDS) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

inline bool checkable(const command_row& c) { return c.toggles != nullptr || c.checked != nullptr; }

inline bool command_enabled(const command_row& c, const TDrawWindow& w) {
  return c.enabled == nullptr || c.enabled(w);
}

inline bool command_checked(const command_row& c, const TDrawWindow& w) {
  if (c.checked != nullptr) return c.checked(w);
  return c.toggles != nullptr && options.*c.toggles == 1;
}

inline void run_command(const command_row& c, TDrawWindow& w) {
  if (c.run != nullptr) {
    c.run(w);
  } else if (c.toggles != nullptr) {
    options.*c.toggles = command_rules::flipped(options.*c.toggles);
  }
}
