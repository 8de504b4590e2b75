// The entity definitions the editor uses, and the markers they shape.
#include <QStringList>

#include "app/draw_window.h"
#include "app/map_document.h"
#include "app/user_settings.h"
#include "model/box.h"

namespace {

constexpr const char* DEFINITIONS_CAPTION = "entity definitions";
constexpr int PROBLEMS_SHOWN = 20;  // a box can hold only so many lines

// The point classes' boxes and colours, by lower-case name.
void shape_markers(const entity_defs& defs) {
  marker_shapes.clear();
  for (const entity_class& c : defs.classes) {
    if (c.kind != class_kind::point || !c.sized) continue;
    std::string name = c.name;
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    marker_shape m{{c.mins[0], c.mins[1], c.mins[2]},
                   {c.maxs[0], c.maxs[1], c.maxs[2]},
                   c.coloured,
                   make_rgb(c.colour[0], c.colour[1], c.colour[2])};
    marker_shapes.emplace(name, m);
  }
}

}  // namespace

const entity_defs& map_document::definitions() const {
  return defs_.classes.empty() ? builtin_defs() : defs_;
}

void map_document::load_definitions() {
  const QStringList chosen =
      user_settings().value(QString::fromLatin1(ENTITY_DEFINITIONS_KEY)).toStringList();
  std::vector<std::string> files;
  for (const QString& f : chosen) files.push_back(f.toStdString());
  if (files.empty() && !game_folder_.empty()) files = find_definition_files(game_folder_);
  defs_ = entity_defs{};
  std::string told;
  for (const std::string& f : files) {
    if (const std::string error = read_definition_file(f, defs_); !error.empty()) told += error + "\n";
  }
  resolve_bases(defs_);
  for (std::size_t i = 0; i < defs_.problems.size() && i < PROBLEMS_SHOWN; ++i) {
    const def_problem& p = defs_.problems[i];
    told += p.file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) + ": " + p.text + "\n";
  }
  const std::size_t more = defs_.problems.size() + static_cast<std::size_t>(defs_.unlisted_problems);
  if (more > PROBLEMS_SHOWN) told += "... and " + std::to_string(more - PROBLEMS_SHOWN) + " more problems\n";
  ++defs_generation_;
  shape_markers(definitions());
  reshape_markers();
  view_.picture_changed();
  if (!told.empty()) MessageBox(&view_, told, DEFINITIONS_CAPTION, box_buttons::ok);
}

void map_document::CmEntityDefinitions() {
  file_dialog_data data;
  data.filter = "Entity definitions (*.fgd;*.def;*.qc)|*.fgd;*.def;*.qc|All files (*)|*|";
  data.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  view_.timer().stop();
  if (FilesOpenDialog(&view_, data) == IDOK) {
    const QStringList files =
        QString::fromStdString(data.file_name).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    user_settings().setValue(QString::fromLatin1(ENTITY_DEFINITIONS_KEY), files);
    load_definitions();
  }
  view_.timer().start(TIMER_AFTER_DIALOG);
}
