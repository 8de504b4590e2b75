// The map document's file work behind File/saveobject, File/openobject and
// File/ExportRaw.
// The path comes from the object file dialog settings; failures are shown
// here, and a failed write leaves the old file as it was.
#include <string>

#include "app/draw_window.h"
#include "app/map_document.h"
#include "edit/transforms.h"
#include "mapio/object_file.h"
#include "mapio/raw_export.h"
#include "model/camera.h"

namespace {

// The group centre the written points are relative to; a selection with no
// face anywhere has none and is written about the world origin.
vertex_t selection_centre() {
  vertex_t centre;
  if (!find_group_center(&centre)) centre = vertex_t{};
  return centre;
}

// What an object file held that could not be used as it was.
std::string object_problems(const object_report& report) {
  std::string text;
  const auto line = [&text](int count, const char* what) {
    if (count > 0) text += "\n" + std::to_string(count) + " " + what;
  };
  if (!report.complete) text += "\nthe file ends inside a face, which was left out";
  line(report.unclosed_brushes,
       "brush(es) without a closing '}': merged as read, not rebuilt and not selected");
  line(report.unbuilt_faces, "face(s) with a plane that is not a number, left as read");
  line(report.malformed_numbers, "malformed number(s), read as 0");
  return text;
}

}  // namespace

void map_document::SaveObject() {
  const std::string error = write_object(FileOData.file_name, selection_centre());
  if (!error.empty())
    MessageBox(&view_, "The object was not saved.\n" + error, "save failed", box_buttons::ok);
}

void map_document::ExportRaw() {
  const std::string error = write_raw(FileOData.file_name, selection_centre());
  if (!error.empty())
    MessageBox(&view_, "The export was not written.\n" + error, "save failed", box_buttons::ok);
}

void map_document::OpenObject() {
  const object_report report = merge_object(FileOData.file_name, origin);
  if (!report.ok()) {
    MessageBox(&view_, report.error, "loading...", box_buttons::ok);
    return;
  }
  view_.candraw = 1;
  view_.timer().stop();
  MessageBox(&view_, "finished loading object", "loading...", box_buttons::ok);
  if (!report.clean()) {
    MessageBox(&view_, "The object was merged, but not all of it was usable:" + object_problems(report),
               "loading...", box_buttons::ok);
  }
  view_.timer().start(TIMER_AS_FAST_AS_POSSIBLE);
}
