// Arranging the views in the drawing window: the four views side by side, the
// plan views closing with the map.
#pragma once

#include <QRect>
#include <QSize>

class TDrawWindow;

// The smallest room a plan view is left before the 3D view gives up part of
// its picture and scrolls.
constexpr int PLAN_ROOM_WIDTH = 240;
constexpr int PLAN_ROOM_HEIGHT = 160;

struct four_view_rects {
  QRect view3d, top, front, side;
};

// The four views filling an area without overlap: the 3D view at the top
// left at whole_3d, the size that shows its whole picture, or smaller where
// that would leave the plan views less than their room; Top beside it, Front
// below it and Side in the corner between.
four_view_rects four_view_layout(QSize area, QSize whole_3d);

// Where a new view of the given size goes in an area holding the 3D view at
// view3d: in the larger of the rooms right of it and below it, a step down
// and right for each view opened there before (nth), cut to fit the room.
// Where neither room is PLAN_ROOM_WIDTH x PLAN_ROOM_HEIGHT, the top left
// corner of the area.
QRect place_beside(QSize area, QRect view3d, QSize wanted, int nth);

// View/Four views: the 3D view and the first Top, Front and Side views so
// laid out, the plan views made where missing (while a map is open). The
// keyboard goes to the 3D view.
void arrange_four_views(TDrawWindow& w);

// Closes every plan view (the map they showed is gone).
void close_plan_views(TDrawWindow& w);
