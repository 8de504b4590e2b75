// veld-tool render MAP OUT.png: one frame of the 3D view, drawn by the editor's
// own frame code, as the view shows it right after MAP is opened.
#include <QFileInfo>
#include <QString>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "platform/system_status.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "textures/texture_set.h"
#include "tool/load_summary.h"
#include "tool/offscreen_app.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

// A mouse point further out than this could overflow the picking's pixel
// distances; projected points are held within the same bound.
constexpr float MOUSE_LIMIT = 1.0e6f;

// The view switches the command takes: each option sets one field of the view
// options to a value.
struct view_switch {
  const char* option;
  int view_options::*field;
  int value;
  const char* help;
};

constexpr view_switch VIEW_SWITCHES[] = {
    {"--solid", &view_options::allsolid, 1, "fill the faces"},
    {"--bsp", &view_options::drawbsp, 1, "draw in depth order through the display BSP"},
    {"--no-entities", &view_options::drawentity, 0, "leave out the point entities"},
    {"--no-fix", &view_options::fixb, 0, "keep brushes as read instead of rebuilding them from their planes"},
    {"--light", &view_options::drawlight, 1, "shade solid faces by the way they face a fixed light"},
};

const view_switch* find_switch(const std::string& option) {
  for (const view_switch& s : VIEW_SWITCHES) {
    if (option == s.option) return &s;
  }
  return nullptr;
}

// One line of the options help: the option in a column of its own, then what it does.
std::string option_line(const std::string& option, const char* help) {
  constexpr std::size_t OPTION_COLUMN = 17;
  return "  " + option + std::string(option.size() < OPTION_COLUMN ? OPTION_COLUMN - option.size() : 1, ' ') +
         help + "\n";
}

// Reads the `count` numbers that follow option i and steps i past them; false
// when they are missing or not numbers.
bool take_numbers(const std::vector<std::string>& args, std::size_t& i, int count, float* out) {
  const std::string& option = args[i];
  for (int k = 0; k < count; ++k) {
    if (i + 1 >= args.size() || !option_number(args[i + 1], &out[k])) {
      std::fprintf(stderr, "veld-tool render: %s needs %d number%s", option.c_str(), count,
                   count == 1 ? "" : "s");
      if (i + 1 < args.size()) std::fprintf(stderr, ", not \"%s\"", args[i + 1].c_str());
      std::fprintf(stderr, "\n");
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

const char* render_usage() {
  static const std::string usage = [] {
    std::string text = "MAP OUT.png [--origin X Y Z] [--angle X Y Z] [--view F] [--vd F] [--mouse X Y]";
    for (const view_switch& s : VIEW_SWITCHES) text += std::string(" [") + s.option + "]";
    return text + " [--textures GAME_DIR]";
  }();
  return usage.c_str();
}

const char* render_options() {
  static const std::string options_help = [] {
    std::string text = option_line("--origin X Y Z", "camera position (0 1000 0)") +
                       option_line("--angle X Y Z", "camera pitch, roll and yaw in radians (0 0 3.1)") +
                       option_line("--view F", "focal length in pixels (430)") +
                       option_line("--vd F", "zoom (1)") +
                       option_line("--mouse X Y", "mouse pixel, for the face and vertex under it (0 0)");
    for (const view_switch& s : VIEW_SWITCHES) text += option_line(s.option, s.help);
    return text +
           option_line("--textures DIR", "fill solid faces with their textures, from the game folder DIR");
  }();
  return options_help.c_str();
}

int render_main(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  bool angle_set = false, mouse_set = false;
  float cam[3] = {0, OPENED_CAMERA_Y, 0}, ang[3] = {START_ANGLE.x, START_ANGLE.y, START_ANGLE.z},
        mouse[2] = {0, 0};
  float view = START_FOCAL_LENGTH, vd = START_ZOOM;
  view_options chosen;
  std::string game;  // with a game folder, faces are drawn textured
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& opt = args[i];
    bool ok = true;
    if (!is_option(opt)) {
      paths.push_back(opt);
    } else if (opt == "--origin") {
      ok = take_numbers(args, i, 3, cam);
    } else if (opt == "--angle") {
      ok = take_numbers(args, i, 3, ang);
      angle_set = true;
    } else if (opt == "--view") {
      ok = take_numbers(args, i, 1, &view);
    } else if (opt == "--vd") {
      ok = take_numbers(args, i, 1, &vd);
    } else if (opt == "--mouse") {
      ok = take_numbers(args, i, 2, mouse);
      mouse_set = true;
      if (ok && !(std::fabs(mouse[0]) <= MOUSE_LIMIT && std::fabs(mouse[1]) <= MOUSE_LIMIT)) {
        std::fprintf(stderr, "veld-tool render: --mouse needs numbers between -1000000 and 1000000\n");
        ok = false;
      }
    } else if (const view_switch* s = find_switch(opt)) {
      chosen.*s->field = s->value;
    } else if (opt == "--textures") {
      ok = i + 1 < args.size();
      if (ok) game = args[++i];
    } else {
      std::fprintf(stderr, "veld-tool render: unknown option \"%s\"\n", opt.c_str());
      ok = false;
    }
    if (!ok) return EXIT_USAGE;
  }
  if (paths.size() != 2) return EXIT_USAGE;
  const std::string& map = paths[0];
  const std::string& png = paths[1];

  const std::unique_ptr<QGuiApplication> app = start_qt();
  options = chosen;  // "fix brushes" goes into the read
  const load_report report = read_map(map);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return 1;
  }
  print_problems(stderr, map.c_str(), report);

  // Opening a map leaves the camera OPENED_CAMERA_Y up the y axis unless told otherwise.
  origin = vertex_t{cam[0], cam[1], cam[2]};
  if (angle_set) {
    angle = vertex_t{ang[0], ang[1], ang[2]};
    compute_angles();
  }

  texture_set textures;
  if (!game.empty()) {
    if (!textures.load_palette(game)) {
      std::fprintf(stderr, "%s\n", textures.problems().back().c_str());
      release_map();
      return 1;
    }
    textures.open_wads(world_value("wad"), game, QFileInfo(QString::fromStdString(map)).path().toStdString());
    options.drawtextures = 1;
  }

  int status = 0;
  {
    TDrawCanvas canvas;
    canvas.memory_status = memory_load_percent;
    canvas.view = view;
    canvas.vd = vd;
    if (mouse_set) canvas.Point = QPoint(static_cast<int>(mouse[0]), static_cast<int>(mouse[1]));
    canvas.texture_of = [&textures](const std::string& name) -> const texture_image& {
      return textures.texture(name);
    };
    canvas.status.cmdline = map;
    canvas.candraw = 1;
    canvas.EvDraw();
    for (const std::string& problem : textures.problems()) std::fprintf(stderr, "%s\n", problem.c_str());
    if (!canvas.winbmp.save(QString::fromStdString(png), "PNG")) {
      std::fprintf(stderr, "veld-tool render: could not write %s\n", png.c_str());
      status = 1;
    } else {
      std::printf("faces examined %d, drawn %d, fragments %d\n", numsurfabs, numdrawn, numtlsurf);
    }
  }
  release_map();
  return status;
}
