// The texture browser: every texture of the map's WADs as a thumbnail with
// its name and size, a filter on the names, and the texture in use marked.
// A double click or OK chooses one; Cancel chooses none.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "textures/texture_set.h"

class QLineEdit;
class QListWidget;

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
