// veld-tool render MAP OUT.png: one frame of the 3D view, drawn by the editor's
// own frame code, as the view shows it right after MAP is opened.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "platform/system_status.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "tool/load_summary.h"
#include "tool/tool_command.h"

namespace {

bool parse_number(const std::string& text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0';
}

// Reads the `count` numbers that follow option i and steps i past them; false
// when they are missing or not numbers.
bool take_numbers(const std::vector<std::string>& args, std::size_t& i, int count, double* out) {
  const std::string& option = args[i];
  for (int k = 0; k < count; ++k) {
    if (i + 1 >= args.size() || !parse_number(args[i + 1], &out[k])) {
      std::fprintf(stderr, "veld-tool render: %s needs %d number%s\n", option.c_str(), count,
                   count == 1 ? "" : "s");
      return false;
    }
    ++i;
  }
  return true;
}

// Frame text needs a Qt application; without a display it draws offscreen.
std::unique_ptr<QGuiApplication> start_qt() {
  if (QGuiApplication::instance() != nullptr) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veld-tool";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int render_main(const std::vector<std::string>& args) {
  if (args.size() < 2) return EXIT_USAGE;
  bool angle_set = false, mouse_set = false;
  double cam[3] = {0, OPENED_CAMERA_Y, 0}, ang[3] = {START_ANGLE.x, START_ANGLE.y, START_ANGLE.z},
         mouse[2] = {0, 0};
  double view = START_FOCAL_LENGTH, vd = START_ZOOM;
  int solid = 0, bsp = 0, entity = 1, fix = 1;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& opt = args[i];
    bool ok = true;
    if (opt == "--origin") {
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
    } else if (opt == "--solid") {
      solid = 1;
    } else if (opt == "--bsp") {
      bsp = 1;
    } else if (opt == "--no-entities") {
      entity = 0;
    } else if (opt == "--no-fix") {
      fix = 0;
    } else {
      std::fprintf(stderr, "veld-tool render: unknown option \"%s\"\n", opt.c_str());
      ok = false;
    }
    if (!ok) return EXIT_USAGE;
  }

  const std::unique_ptr<QGuiApplication> app = start_qt();
  fixb = fix;
  const load_report report = read_map(args[0]);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return 1;
  }
  print_problems(stderr, args[0].c_str(), report);

  // Opening a map leaves the camera OPENED_CAMERA_Y up the y axis unless told otherwise.
  origin = vertex_t{static_cast<float>(cam[0]), static_cast<float>(cam[1]), static_cast<float>(cam[2])};
  if (angle_set) {
    angle = vertex_t{static_cast<float>(ang[0]), static_cast<float>(ang[1]), static_cast<float>(ang[2])};
    compute_angles();
  }
  allsolid = solid;
  drawbsp = bsp;
  drawentity = entity;
  cmdline = args[0];

  int status = 0;
  {
    TDrawCanvas canvas;
    canvas.memory_status = memory_load_percent;
    canvas.view = static_cast<float>(view);
    canvas.vd = static_cast<float>(vd);
    if (mouse_set) canvas.Point = QPoint(static_cast<int>(mouse[0]), static_cast<int>(mouse[1]));
    canvas.candraw = 1;
    canvas.EvDraw();
    if (!canvas.winbmp.save(QString::fromStdString(args[1]), "PNG")) {
      std::fprintf(stderr, "veld-tool render: could not write %s\n", args[1].c_str());
      status = 1;
    } else {
      std::printf("faces examined %d, drawn %d, fragments %d\n", numsurfabs, numdrawn, numtlsurf);
    }
  }
  release_map();
  return status;
}
