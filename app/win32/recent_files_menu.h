// The main window's Recent Files sub-menu, behind the portable view the recent files fill.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/views/views.h"

namespace orvane::app {

// The items of the Recent Files sub-menu; a click reaches RecentFileClick with the group index.
class Win32RecentFilesMenu : public ui::RecentFilesMenuView {
 public:
  void Attach(HMENU menu) { menu_ = menu; }
  HMENU Handle() const { return menu_; }

  void Clear() override;
  void AddItem(const std::string& caption, const std::string& name, int groupIndex,
               int imageIndex) override;
  int ItemCount() const override;
  std::string ItemCaption(int position) const override;
  // The component name and group index given with the item at `position`.
  std::string ItemName(int position) const;
  int ItemGroupIndex(int position) const;

 private:
  struct Item {
    std::string name;
    int groupIndex = 0;
  };
  HMENU menu_ = nullptr;
  std::vector<Item> items_;
};

}  // namespace orvane::app
