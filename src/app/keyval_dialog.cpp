#include "app/keyval_dialog.h"

#include <QCheckBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <cmath>

#include "base/number_text.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "platform/platform.h"

namespace {

constexpr int KEY_ROLE = Qt::UserRole;
constexpr int VALUE_ROLE = Qt::UserRole + 1;
constexpr const char* SPAWNFLAGS = "spawnflags";

// A list line sorted as the list box sorts: letters compared without regard
// to case.
class pair_item : public QListWidgetItem {
 public:
  pair_item(const std::string& key, const std::string& value)
      : QListWidgetItem(QString::fromStdString(key + "  " + value)) {
    // The texts are kept as they came, byte for byte, so that a pair read
    // from a file goes back unchanged even where it is not valid UTF-8.
    setData(KEY_ROLE, QByteArray::fromStdString(key));
    setData(VALUE_ROLE, QByteArray::fromStdString(value));
  }
  bool operator<(const QListWidgetItem& other) const override {
    return text().compare(other.text(), Qt::CaseInsensitive) < 0;
  }
};

std::string item_key(const QListWidgetItem* item) { return item->data(KEY_ROLE).toByteArray().toStdString(); }

std::string item_value(const QListWidgetItem* item) {
  return item->data(VALUE_ROLE).toByteArray().toStdString();
}

}  // namespace

void widen_to_text(QWidget* w) { w->resize(std::max(w->width(), w->sizeHint().width()), w->height()); }

void TKeyValDialog::make_flag_box(int id, const char* text, int x, int y, int cx, int cy) {
  auto* box = new QCheckBox(QString::fromLatin1(text), this);
  place(box, id, x, y, cx, cy);
  widen_to_text(box);
  flags_[id - ID_NOT_EASY] = box;
  connect(box, &QCheckBox::clicked, this, [this] { flag_clicked(); });
}

void TKeyValDialog::make_pair_list(int x, int y, int cx, int cy, bool horizontal_bar) {
  list_ = new QListWidget(this);
  list_->setSortingEnabled(true);
  list_->setHorizontalScrollBarPolicy(horizontal_bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  place(list_, ID_PAIRS, x, y, cx, cy);
}

void TKeyValDialog::make_button(int id, const char* text, int x, int y, int cx, int cy) {
  auto* button = new QPushButton(QString::fromLatin1(text), this);
  button->setAutoDefault(false);  // Enter stays with OK
  place(button, id, x, y, cx, cy);
  if (id == ID_ADD) connect(button, &QPushButton::clicked, this, [this] { CmAddString(); });
  if (id == ID_DELETE) connect(button, &QPushButton::clicked, this, [this] { CmDeleteString(); });
}

void TKeyValDialog::make_field(int id, int x, int y, int cx, int cy) {
  place(new QLineEdit(this), id, x, y, cx, cy);
}

QListWidgetItem* TKeyValDialog::find_key(const std::string& key) const {
  const QString wanted = QString::fromStdString(key);
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    if (QString::fromStdString(item_key(item)).compare(wanted, Qt::CaseInsensitive) == 0) return item;
  }
  return nullptr;
}

void TKeyValDialog::add_line(const std::string& key, const std::string& value) {
  list_->addItem(new pair_item(key, value));
}

std::vector<text_pair> TKeyValDialog::pairs() const {
  std::vector<text_pair> out;
  for (int i = 0; i < list_->count(); ++i)
    out.push_back({item_key(list_->item(i)), item_value(list_->item(i))});
  return out;
}

void TKeyValDialog::fill_pairs(const keyval* list) {
  for (const keyval* kv = list; kv != nullptr; kv = kv->next) add_line(kv->key, kv->value);
  flags_from_list();
}

bool TKeyValDialog::storable(const std::string& text) {
  return text.find_first_of("\"\r\n") == std::string::npos;
}

void TKeyValDialog::CmAddString() {
  commit_pending();
  const std::string key = control_text(ID_KEY, INT_MAX);
  const std::string value = control_text(ID_VALUE, INT_MAX);
  // The map file quotes every key and value and has no way to escape a quote.
  if (!storable(key) || !storable(value)) {
    MessageBox(this, "A key or value cannot hold a double quote (\").\nThe pair was not added.",
               windowTitle().toStdString(), box_buttons::ok);
    return;
  }
  // Only the line of the same key is replaced: "target" beside "targetname"
  // is a pair of its own, and replacing the longer key would lose it.
  delete find_key(key);
  add_line(key, value);
  flags_from_list();
}

void TKeyValDialog::CmDeleteString() {
  commit_pending();
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  delete selected.first();
  flags_from_list();
}

long TKeyValDialog::list_spawnflags() const {
  const QListWidgetItem* line = find_key(SPAWNFLAGS);
  if (line == nullptr) return 0;
  const double v = std::trunc(number_from_text(item_value(line)));
  return std::fabs(v) < INT_MAX ? static_cast<long>(v) : 0;
}

void TKeyValDialog::set_spawnflags(long value) {
  QListWidgetItem* line = find_key(SPAWNFLAGS);
  const std::string key = line != nullptr ? item_key(line) : SPAWNFLAGS;
  delete line;
  if (value != 0) add_line(key, std::to_string(value));
}

void TKeyValDialog::show_flags(long value) {
  for (int i = 0; i < 4; ++i) {
    if (flags_[i] != nullptr) flags_[i]->setChecked((value & SPAWNFLAG_BITS[i]) != 0);
  }
  for (std::size_t i = 0; i < class_flags_.size(); ++i)
    class_flags_[i]->setChecked((value & class_flag_bits_[i]) != 0);
}

void TKeyValDialog::explain_keys(const std::string& classname) {
  explained_ = defs_ != nullptr ? defs_->find(classname) : nullptr;
  if (explained_ == nullptr || help_ != nullptr) return;
  QStringList names;
  for (const class_key& k : explained_->keys) names << QString::fromStdString(k.name);
  auto* keys = new QCompleter(names, this);
  keys->setCaseSensitivity(Qt::CaseInsensitive);
  auto* key_field = qobject_cast<QLineEdit*>(control(ID_KEY));
  key_field->setCompleter(keys);
  connect(key_field, &QLineEdit::textChanged, this, [this](const QString& key) { show_key_help(key); });

  // Below everything the dialog had: the help line, then the class's flags
  // two to a row.
  const int below = height();
  constexpr int ROW = 22, MARGIN = 8;
  help_ = new QLabel(this);
  help_->setWordWrap(true);
  help_->setGeometry(MARGIN, below, width() - 2 * MARGIN, 3 * ROW);
  int rows = 0;
  for (const class_key& k : explained_->keys) {
    if (k.kind != key_kind::flags || k.name != SPAWNFLAGS) continue;
    for (const key_flag& f : k.flags) {
      if (std::find(std::begin(SPAWNFLAG_BITS), std::end(SPAWNFLAG_BITS), f.bit) != std::end(SPAWNFLAG_BITS))
        continue;
      auto* box = new QCheckBox(QString::fromStdString(f.name), this);
      const int n = static_cast<int>(class_flags_.size());
      box->setGeometry(MARGIN + (n % 2) * (width() / 2), below + 3 * ROW + (n / 2) * ROW,
                       width() / 2 - MARGIN, ROW);
      connect(box, &QCheckBox::clicked, this, [this] { class_flag_clicked(); });
      class_flags_.push_back(box);
      class_flag_bits_.push_back(f.bit);
      rows = n / 2 + 1;
    }
  }
  setFixedHeight(below + 3 * ROW + rows * ROW + MARGIN);
  show_key_help(key_field->text());
  flags_from_list();
}

void TKeyValDialog::show_key_help(const QString& key) {
  if (help_ == nullptr) return;
  auto* value_field = qobject_cast<QLineEdit*>(control(ID_VALUE));
  value_field->setCompleter(nullptr);
  help_->clear();
  for (const class_key& k : explained_->keys) {
    if (QString::fromStdString(k.name).compare(key, Qt::CaseInsensitive) != 0) continue;
    std::string text = k.label;
    if (!k.description.empty()) text += (text.empty() ? "" : ": ") + k.description;
    if (!k.default_value.empty()) text += " (default " + k.default_value + ")";
    QStringList values;
    for (const key_choice& c : k.choices) {
      text += std::string(values.isEmpty() ? "\nchoices: " : ", ") + c.value + " " + c.name;
      values << QString::fromStdString(c.value);
    }
    if (!values.isEmpty()) value_field->setCompleter(new QCompleter(values, value_field));
    help_->setText(QString::fromStdString(text));
    return;
  }
}

void TKeyValDialog::class_flag_clicked() {
  commit_pending();
  long value = list_spawnflags();
  for (std::size_t i = 0; i < class_flags_.size(); ++i)
    value = class_flags_[i]->isChecked() ? (value | class_flag_bits_[i]) : (value & ~class_flag_bits_[i]);
  set_spawnflags(value);
  flags_from_list();
}

void TKeyValDialog::flag_clicked() {
  commit_pending();
  long value = list_spawnflags();
  for (int i = 0; i < 4; ++i) {
    if (flags_[i] == nullptr) continue;
    value = flags_[i]->isChecked() ? (value | SPAWNFLAG_BITS[i]) : (value & ~long{SPAWNFLAG_BITS[i]});
  }
  set_spawnflags(value);
  flags_from_list();
}

void TKeyValDialog::store_pairs(keyval*& head) {
  keyval** link = &head;
  for (const text_pair& p : pairs()) {
    if (options.show_each_pair != 0) MessageBox(this, p.key, p.value, box_buttons::ok);
    if (*link == nullptr) {
      *link = new_keyval(p.key.c_str(), p.value.c_str());
    } else {
      set_key(*link, p.key.c_str());
      set_value(*link, p.value.c_str());
    }
    link = &(*link)->next;
  }
  free_keyvals(*link);
  *link = nullptr;
}
