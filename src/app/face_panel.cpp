#include "app/face_panel.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/draw_window.h"
#include "base/number_text.h"
#include "edit/box_brush.h"
#include "edit/replace_texture.h"
#include "model/map_history.h"
#include "model/view_options.h"

namespace {

constexpr int MOST_REPEATS = 64;  // times Fit may put a texture across a face
constexpr int BUTTONS_A_ROW = 4;

// The inspector's buttons, a row to a kind of step.
struct step_button {
  const char* text = nullptr;
  int id = 0;
};
struct button_row {
  const char* label;
  std::array<step_button, 5> buttons;
};
constexpr button_row STEP_ROWS[] = {
    {"Texel",
     {{{"s \u2212", CM_SHIFTSLESS},
       {"s +", CM_SHIFTSMORE},
       {"t \u2212", CM_SHIFTTLESS},
       {"t +", CM_SHIFTTMORE}}}},
    {"Grid",
     {{{"s \u2212", CM_GRIDSLESS},
       {"s +", CM_GRIDSMORE},
       {"t \u2212", CM_GRIDTLESS},
       {"t +", CM_GRIDTMORE}}}},
    {"Turn", {{{"\u221215\u00b0", CM_TURNLESS}, {"+15\u00b0", CM_TURNMORE}}}},
    {"Scale",
     {{{"s \u00d72", CM_SCALESUP},
       {"s \u00f72", CM_SCALESDOWN},
       {"t \u00d72", CM_SCALETUP},
       {"t \u00f72", CM_SCALETDOWN}}}},
};
constexpr button_row JUSTIFY_ROW = {"Justify",
                                    {{{"Left", CM_JUSTIFYLEFT},
                                      {"Right", CM_JUSTIFYRIGHT},
                                      {"Top", CM_JUSTIFYTOP},
                                      {"Bottom", CM_JUSTIFYBOTTOM},
                                      {"Centre", CM_JUSTIFYCENTRE}}}};

// The size the view draws a face's texture with (the stand-in's for one that
// cannot be shown).
void texture_size(TDrawWindow& w, const surf* s, int* width, int* height) {
  const texture_image& t = w.document.textures().texture(s->texname);
  *width = t.width;
  *height = t.height;
}

std::string shortest(float v) {
  std::string out;
  append_shortest(out, v);
  return out;
}

// A field's text for one face.
std::string field_text(const surf* s, TFaceInspector::field f) {
  switch (f) {
    case TFaceInspector::TEXTURE:
      return s->texname;
    case TFaceInspector::S_OFFSET:
      return shortest(s->sofs);
    case TFaceInspector::T_OFFSET:
      return shortest(s->tofs);
    case TFaceInspector::ROTATION:
      return shortest(s->flips);
    case TFaceInspector::S_SCALE:
      return shortest(s->scale[0]);
    case TFaceInspector::T_SCALE:
      return shortest(s->scale[1]);
    default:
      return {};
  }
}

std::string axes_text(const surf* s) {
  std::string out;
  for (int i = 0; i < 2; ++i) {
    out += i == 0 ? "u (" : ")  v (";
    for (int k = 0; k < 3; ++k) out += (k == 0 ? "" : " ") + shortest(s->texaxis[i][k]);
  }
  return out + ")";
}

// One text for every face, or nothing when they differ.
template <class Text>
std::optional<std::string> common(const std::vector<surf*>& faces, Text text) {
  if (faces.empty()) return std::nullopt;
  std::string first = text(faces.front());
  for (const surf* s : faces) {
    if (text(s) != first) return std::nullopt;
  }
  return first;
}

}  // namespace

bool faces_to_work_on(const TDrawWindow& w) { return w.candraw != 0 && !texture_targets().empty(); }

void apply_current_texture(TDrawWindow&) {
  if (!current_texture.empty()) apply_texture(current_texture);
}

void shift_faces(int ds, int dt, bool by_grid) {
  for (surf* s : texture_targets()) {
    if (by_grid) {
      shift_texture_by_units(s, ds * options.grid_size, dt * options.grid_size);
    } else {
      shift_texture(s, ds, dt);
    }
  }
}

void turn_faces(double degrees) {
  for (surf* s : texture_targets()) set_rotation(s, std::fmod(s->flips + degrees, 360.0));
}

void scale_faces(int axis, double factor) {
  for (surf* s : texture_targets()) scale_texture(s, axis, factor);
}

void fit_faces(TDrawWindow& w) {
  int across = 1, down = 1;
  if (const auto* inspector = dock_panel<TFaceInspector>(w)) {
    across = inspector->fit_across()->value();
    down = inspector->fit_down()->value();
  }
  for (surf* s : texture_targets()) {
    int width = 0, height = 0;
    texture_size(w, s, &width, &height);
    fit_texture(s, width, height, across, down);
  }
}

void justify_faces(TDrawWindow& w, justify where) {
  for (surf* s : texture_targets()) {
    int width = 0, height = 0;
    texture_size(w, s, &width, &height);
    justify_texture(s, width, height, where);
  }
}

TFaceInspector::TFaceInspector(TDrawWindow& view)
    : QDockWidget(QStringLiteral("Face inspector")), view_(view) {
  setObjectName(QStringLiteral("faces"));
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  form_ = new QFormLayout;
  static constexpr const char* NAMES[FIELD_COUNT] = {"Texture",  "Offset s", "Offset t",
                                                     "Rotation", "Scale s",  "Scale t"};
  for (int f = 0; f < FIELD_COUNT; ++f) {
    fields_[f] = new QLineEdit(body);
    form_->addRow(QString::fromLatin1(NAMES[f]), fields_[f]);
    connect(fields_[f], &QLineEdit::returnPressed, this, [this, f] { take_field(static_cast<field>(f)); });
  }
  axes_ = new QLabel(body);
  axes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form_->addRow(QStringLiteral("Axes"), axes_);
  column->addLayout(form_);

  // The buttons run the Texture menu's commands, so a button, its menu item
  // and its key are one thing.
  auto* grid = new QGridLayout;
  const auto button = [&](const char* text, int id, int row, int col) {
    auto* b = new QPushButton(QString::fromUtf8(text), body);
    b->setObjectName(QString::number(id));
    if (const command_row* c = find_command(id)) {
      QString tip = QString::fromUtf8(c->text).remove(QLatin1Char('&'));
      if (c->shortcuts[0].key() != Qt::Key_unknown)
        tip += QStringLiteral(" (") + QKeySequence(c->shortcuts[0]).toString(QKeySequence::NativeText) + ")";
      b->setToolTip(tip);
    }
    grid->addWidget(b, row, col);
    connect(b, &QPushButton::clicked, this, [this, id] { view_.command(id); });
  };
  int row = 0;
  const auto add_row = [&](const button_row& r) {
    grid->addWidget(new QLabel(QString::fromLatin1(r.label), body), row, 0);
    int col = 1;
    for (const step_button& b : r.buttons) {
      if (b.text == nullptr) break;
      if (col > BUTTONS_A_ROW) {  // the rest go on below
        col = 1;
        ++row;
      }
      button(b.text, b.id, row, col++);
    }
    ++row;
  };
  for (const button_row& r : STEP_ROWS) add_row(r);
  grid->addWidget(new QLabel(QStringLiteral("Fit"), body), row, 0);
  across_ = new QSpinBox(body);
  down_ = new QSpinBox(body);
  for (QSpinBox* times : {across_, down_}) {
    times->setRange(1, MOST_REPEATS);
    times->setSuffix(QStringLiteral(" \u00d7"));
  }
  across_->setToolTip(QStringLiteral("Times across"));
  down_->setToolTip(QStringLiteral("Times down"));
  grid->addWidget(across_, row, 1);
  grid->addWidget(down_, row, 2);
  button("Fit", CM_FITTEXTURE, row++, 3);
  add_row(JUSTIFY_ROW);
  column->addLayout(grid);
  column->addStretch();
  setWidget(body);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    shown_ = false;
    if (visible) refresh();
  });
}

void TFaceInspector::refresh() {
  if (!isVisible()) return;
  std::vector<surf*> faces = view_.candraw != 0 ? texture_targets() : std::vector<surf*>{};
  // Ticks come often; the fields change only with an edit or another selection.
  if (shown_ && shown_changes_ == history_changes() && shown_faces_ == faces) return;
  shown_ = true;
  shown_changes_ = history_changes();
  shown_faces_ = faces;
  widget()->setEnabled(!faces.empty());
  for (int f = 0; f < FIELD_COUNT; ++f) {
    QLineEdit* e = fields_[f];
    if (e->hasFocus() && e->isModified()) continue;  // being typed
    const std::optional<std::string> text =
        common(faces, [f](const surf* s) { return field_text(s, static_cast<field>(f)); });
    const QString shown = text ? QString::fromStdString(*text) : QString();
    if (e->text() != shown) e->setText(shown);
  }
  const bool valve = !faces.empty() &&
                     std::all_of(faces.begin(), faces.end(), [](const surf* s) { return s->hasaxes != 0; });
  const std::optional<std::string> axes = valve ? common(faces, axes_text) : std::nullopt;
  form_->setRowVisible(axes_, valve);
  axes_->setText(axes ? QString::fromStdString(*axes) : QString());
}

void TFaceInspector::take_field(field f) {
  QLineEdit* e = fields_[f];
  const std::string text = e->text().trimmed().toStdString();
  e->setModified(false);
  const std::vector<surf*> faces = texture_targets();
  if (view_.candraw == 0 || faces.empty() || text.empty()) {
    shown_ = false;
    refresh();
    return;
  }
  bool malformed = false;
  const float value = f == TEXTURE ? 0 : float_from_text(text, &malformed);
  if (malformed || (f == TEXTURE && !texture_name_fits(text))) {
    shown_ = false;
    refresh();
    return;
  }
  for (surf* s : faces) {
    switch (f) {
      case TEXTURE:
        s->texname = text;
        break;
      case S_OFFSET:
        s->sofs = value;
        break;
      case T_OFFSET:
        s->tofs = value;
        break;
      case ROTATION:
        set_rotation(s, value);
        break;
      case S_SCALE:
        s->scale[0] = value;
        break;
      case T_SCALE:
        s->scale[1] = value;
        break;
      default:
        break;
    }
  }
  view_.end_of_step();
  shown_ = false;
  refresh();
}
