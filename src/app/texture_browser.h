// The texture browser: every texture of the map's WADs as a thumbnail with
// its name and size, a filter on the names, and the texture in use marked.
// The texture panel lists them the same way.
// A double click or OK chooses one; Cancel chooses none.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "textures/texture_set.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;

// A texture as a browser lists it: its thumbnail, name and size, the name
// kept under Qt::UserRole. One that cannot be shown is a grey tile that
// tells why on hover, and cannot be chosen.
QListWidgetItem* texture_item(const texture_info& t, const texture_image& picture, QListWidget* list);
// Makes the list show textures as thumbnails in rows.
void show_as_tiles(QListWidget* list);
// Hides the items whose names do not hold text, in any case.
void filter_tiles(QListWidget* list, const QString& text);

class TTextureBrowser : public TDialog {
 public:
  using picture_of = std::function<const texture_image&(const std::string&)>;
  TTextureBrowser(QWidget* parent, std::vector<texture_info> choices, picture_of pictures,
                  std::string in_use);

  void SetupWindow() override;
  // False (the dialog stays open) while no texture is chosen.
  bool CanClose() override;

  // The chosen name once the dialog closed with OK.
  const std::string& chosen() const { return chosen_; }
  QLineEdit* filter() const { return filter_; }
  QListWidget* list() const { return list_; }

  enum { ID_FILTER = 201, ID_LIST = 202 };

 private:
  // Shows the textures whose names hold the filter text, in any case.
  void apply_filter();

  std::vector<texture_info> choices_;
  picture_of pictures_;
  std::string in_use_, chosen_;
  QLineEdit* filter_ = nullptr;
  QListWidget* list_ = nullptr;
};
