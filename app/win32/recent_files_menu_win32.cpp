#include "app/win32/recent_files_menu.h"

#include "app/win32/control_ids.h"
#include "ui/menu/menu_item_data.h"

namespace orvane::app {

void Win32RecentFilesMenu::Clear() {
  while (GetMenuItemCount(menu_) > 0) DeleteMenu(menu_, 0, MF_BYPOSITION);
  items_.clear();
}

void Win32RecentFilesMenu::AddItem(const std::string& caption, const std::string& name,
                                   int groupIndex, int imageIndex) {
  // Items past the id range cannot be told apart when clicked; the settings file never counts
  // that many (the list stops far below).
  if (groupIndex < 0 || ids::kRecentFileFirst + groupIndex >= ids::kRecentFileLimit) return;
  AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(ids::kRecentFileFirst + groupIndex),
              caption.c_str());
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  info.dwItemData = static_cast<ULONG_PTR>(ui::menu::PackMenuItemData({imageIndex}));
  SetMenuItemInfoA(menu_, static_cast<UINT>(GetMenuItemCount(menu_) - 1), TRUE, &info);
  items_.push_back({name, groupIndex});
}

int Win32RecentFilesMenu::ItemCount() const { return GetMenuItemCount(menu_); }

std::string Win32RecentFilesMenu::ItemCaption(int position) const {
  char text[4096] = {};
  GetMenuStringA(menu_, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

std::string Win32RecentFilesMenu::ItemName(int position) const {
  return items_.at(static_cast<std::size_t>(position)).name;
}

int Win32RecentFilesMenu::ItemGroupIndex(int position) const {
  return items_.at(static_cast<std::size_t>(position)).groupIndex;
}

}  // namespace orvane::app
