#include "app/draw_window.h"

#include <QMdiSubWindow>
#include <QResizeEvent>
#include <algorithm>

#include "app/commands.h"
#include "app/plan_window.h"
#include "app/select_window.h"
#include "app/user_settings.h"
#include "app/view_layout.h"
#include "app/view_window.h"
#include "base/number_text.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "mapio/source_layout.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"

TDrawWindow::TDrawWindow() : document(*this), timer_([this] { EvTimer(); }) {
  setFocusPolicy(Qt::StrongFocus);
  // A window starts on an empty map, whatever model was left released, and
  // with the switches of a program just started, but for those the user
  // keeps from run to run.
  reset_model();
  options = view_options{};
  options.show_each_pair =
      user_settings().value(QString::fromLatin1(SHOW_EACH_PAIR_KEY), 1).toInt() != 0 ? 1 : 0;
  reset_edit_steps();
  texture_lock = user_settings().value(QString::fromLatin1(TEXTURE_LOCK_KEY), 0).toInt() != 0 ? 1 : 0;
  keep_file_layout = user_settings().value(QString::fromLatin1(KEEP_LAYOUT_KEY), 0).toInt() != 0 ? 1 : 0;
  reset_grid();
  memory_status = MemoryLoad;
  view_window_ = new TViewWindow(*this);
  addSubWindow(view_window_, view_window_->windowFlags());
  view_window_->show();
}

TDrawWindow::~TDrawWindow() { CleanupWindow(); }

void TDrawWindow::SetupWindow() {
  status.testing_value = -75;
  hilight = nullptr;
  hibr = nullptr;
  options.fixb = 1;
  window.setBackground(QBrush(Qt::white));
  window.fillRect(0, 0, VIEW_WIDTH, VIEW_HEIGHT, Qt::white);
  timer_.start(TIMER_NORMAL);
  document.autosave_timer().start();
  start_framerate();
}

void TDrawWindow::start_framerate() {
  framerate = 0;
  Tstart = ClockSeconds();
}

void TDrawWindow::CleanupWindow() {
  timer_.stop();
  document.autosave_timer().stop();
}

void TDrawWindow::EvTimer() {
  ++framerate;
  if (candraw == 0) {
    redraw_.forget();
  } else {
    if (memory_status) memory = memory_status();
    if (redraw_.draw_needed(*this)) {
      draw_frame();
      // Copying the same image again would show nothing new; whatever else
      // writes into it asks for its own copy.
      picture()->update();
      if (options.drawtextures != 0) document.report_texture_problems();
      // The plan views draw anew with the 3D view, when something changed.
      for (QMdiSubWindow* child : subWindowList()) {
        if (auto* plan = dynamic_cast<TPlanWindow*>(child)) plan->canvas()->update();
      }
    }
  }
  // The overhead view draws again when an edit is done.
  for (QMdiSubWindow* child : subWindowList()) {
    if (auto* overhead = dynamic_cast<TSelectWindow*>(child)) overhead->follow_changes();
  }
  refresh_();
}

void TDrawWindow::end_of_step() {
  history_record();
  picture_changed();
  refresh_();
}

void TDrawWindow::command(int id) {
  const command_row* c = find_command(id);
  if (c != nullptr) run_command(*c, *this);
  history_record();
  picture_changed();
  refresh_();
}

bool TDrawWindow::CanClose() {
  timer_.stop();
  const long Tfinish = ClockSeconds();
  // Less than a whole second since the count began: take it as one second.
  const long seconds = Tfinish - Tstart > 0 ? Tfinish - Tstart : 1;
  const std::string rate =
      "framerate " + format_lf(static_cast<double>(framerate) / static_cast<double>(seconds));
  if (MessageBox(this, rate, "Do you wish to quit?", box_buttons::ok_cancel) != IDOK) {
    timer_.start(TIMER_AFTER_DIALOG);
    return false;
  }
  return document.save_before_quit();
}

QWidget* TDrawWindow::picture() const { return view_window_->picture(); }

void TDrawWindow::focus_picture() {
  setActiveSubWindow(view_window_);
  picture()->setFocus(Qt::OtherFocusReason);
}

QSize TDrawWindow::sizeHint() const { return view_window_->whole_picture_size(); }

void TDrawWindow::remember_arrangement(const std::vector<QMdiSubWindow*>& placed) {
  arranged_.clear();
  for (QMdiSubWindow* window : placed) arranged_.emplace_back(window, window->geometry());
}

void TDrawWindow::resizeEvent(QResizeEvent* event) {
  QMdiArea::resizeEvent(event);
  const bool kept = !arranged_.empty() && std::all_of(arranged_.begin(), arranged_.end(), [](const auto& a) {
    return a.first != nullptr && !a.first->isHidden() && a.first->geometry() == a.second;
  });
  if (kept) arrange_four_views(*this);
}

bool TDrawWindow::focusNextPrevChild(bool) { return false; }
