// What the two entity dialogs share: the sorted list of key/value lines with
// its key and value fields and the "add" and "delete" buttons, the four
// spawn-flag check boxes, and writing the list back into an entity's pairs.
#pragma once

#include <string>
#include <vector>

#include "defs/entity_defs.h"
#include "model/types.h"
#include "platform/dialog.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

// Control ids of the pair editing, the same in both dialogs.
enum {
  ID_NOT_EASY = 109,
  ID_NOT_NORMAL = 110,
  ID_NOT_HARD = 111,
  ID_NOT_DEATHMATCH = 112,
  ID_PAIRS = 113,
  ID_KEY = 114,
  ID_VALUE = 115,
  ID_ADD = 116,
  ID_DELETE = 117,
};

// The "spawnflags" bits the four check boxes stand for, in control id order.
constexpr int SPAWNFLAG_BITS[4] = {256, 512, 1024, 2048};

// Widens a check box to its text where the substitute font runs wider than
// the one the rectangles were laid out for.
void widen_to_text(QWidget* w);

struct text_pair {
  std::string key, value;
};

class TKeyValDialog : public TDialog {
 public:
  using TDialog::TDialog;

  // "add": replaces the line whose key is the key field's text (letters
  // compared without regard to case), or adds one.
  void CmAddString();
  // "delete": removes the selected line, if any.
  void CmDeleteString();

  // The lines in the order the list shows them.
  std::vector<text_pair> pairs() const;
  QListWidget* pair_list() const { return list_; }

  // The definitions the dialog explains keys by; none, and it explains none.
  void set_definitions(const entity_defs* defs) { defs_ = defs; }
  // The line under the pairs that tells of the key in the key field.
  QLabel* key_help() const { return help_; }
  // The check boxes of the class's own spawn flags, in its order.
  const std::vector<QCheckBox*>& class_flags() const { return class_flags_; }

 protected:
  // Control makers, called in tab order by each dialog's constructor.
  void make_flag_box(int id, const char* text, int x, int y, int cx, int cy);
  void make_pair_list(int x, int y, int cx, int cy, bool horizontal_bar);
  void make_button(int id, const char* text, int x, int y, int cx, int cy);
  void make_field(int id, int x, int y, int cx, int cy);

  // One line per pair, in list order.
  void fill_pairs(const keyval* list);
  // Writes the lines into the list starting at head, in list box order: one
  // message box per pair while "show each pair" is on, nodes reused in order,
  // surplus nodes released.
  void store_pairs(keyval*& head);

  // Where the class of classname has a definition, explains its keys below
  // the dialog's own controls: the key field offers its keys, a line tells
  // the chosen key's description, default and choices, the value field
  // offers the choices, and the class's spawn flags beyond the four show as
  // check boxes that set the number.
  void explain_keys(const std::string& classname);

  // Shows the "spawnflags" value of the list (0 when there is none) in the
  // check boxes; a dialog with more views of it extends this.
  virtual void show_flags(long value);
  // Lets a dialog apply an edit of its own before the list changes.
  virtual void commit_pending() {}
  // The "spawnflags" line's value as a number, 0 when there is none.
  long list_spawnflags() const;
  // Sets the "spawnflags" line to value; 0 removes the line.
  void set_spawnflags(long value);
  // Refreshes every view of the flags from the list.
  void flags_from_list() { show_flags(list_spawnflags()); }

  // A key or value that the map file could not hold; an empty text is fine.
  static bool storable(const std::string& text);

 private:
  // The first line, in list order, whose key is key (letters compared
  // without regard to case).
  QListWidgetItem* find_key(const std::string& key) const;
  void add_line(const std::string& key, const std::string& value);
  void flag_clicked();

  void show_key_help(const QString& key);
  void class_flag_clicked();

  const entity_defs* defs_ = nullptr;
  const entity_class* explained_ = nullptr;
  QLabel* help_ = nullptr;
  std::vector<QCheckBox*> class_flags_;
  std::vector<long> class_flag_bits_;
  QListWidget* list_ = nullptr;
  QCheckBox* flags_[4] = {};
};
