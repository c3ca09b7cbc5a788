// The painter's menu items: hooking them as owner-drawn items, measuring and drawing them.
#include <algorithm>

#include "ui/menu/dib_canvas_win32.h"
#include "ui/menu/menu_item_data.h"
#include "ui/menu/menu_item_drawing.h"
#include "ui/menu/menu_measure.h"
#include "ui/menu/tags_win32.h"
#include "ui/menu/xp_menu_win32.h"

namespace orvane::ui::menu {

namespace {

// Text measured with the painter's font on a memory device context.
class GdiTextMetrics : public TextMetrics {
 public:
  explicit GdiTextMetrics(HFONT font) : selected_(dc_.get(), font) {}
  int TextWidth(const std::string& text) const override {
    SIZE size{};
    GetTextExtentPoint32A(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int TextHeight() const override {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_.get(), &metrics);
    return metrics.tmHeight;
  }

 private:
  MemoryDC dc_;
  Selected selected_;
};

std::string ItemText(HMENU menu, UINT position) {
  char text[1024] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = sizeof text - 1;
  GetMenuItemInfoA(menu, position, TRUE, &info);
  return text;
}

}  // namespace

void TXPMenu::HookMenu(HMENU menu, bool topLevel) {
  const bool override = Properties().OverrideOwnerDraw;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_DATA | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    const MenuItemData data = UnpackMenuItemData(info.dwItemData);
    if (data.tag == kKeepPlatformLook) continue;
    if (info.hSubMenu && MenuTag(info.hSubMenu) != kKeepPlatformLook)
      HookMenu(info.hSubMenu, false);
    // An item that some other code already draws keeps its drawing.
    if ((info.fType & MFT_OWNERDRAW) && !override) continue;

    auto item = std::make_unique<HookedItem>();
    item->menu = menu;
    item->topLevel = topLevel;
    item->separator = (info.fType & MFT_SEPARATOR) != 0;
    item->hasSubItems = info.hSubMenu != nullptr;
    const std::string text = item->separator ? "-" : ItemText(menu, static_cast<UINT>(position));
    const std::size_t tab = text.find('\t');
    item->caption = text.substr(0, tab);
    if (tab != std::string::npos) item->shortcut = text.substr(tab + 1);
    item->imageIndex = data.imageIndex;
    item->oldType = info.fType;
    item->oldBitmap = info.hbmpItem;
    item->oldData = info.dwItemData;

    info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_DATA;
    info.fType |= MFT_OWNERDRAW;
    info.hbmpItem = nullptr;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
    if (SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
      items_.push_back(std::move(item));
    }
  }
}

void TXPMenu::UnhookMenus() {
  for (const auto& item : items_) {
    if (!IsMenu(item->menu)) continue;
    // Found by its data: items may have moved since they were hooked.
    const int count = GetMenuItemCount(item->menu);
    for (int position = 0; position < count; ++position) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA;
      GetMenuItemInfoA(item->menu, static_cast<UINT>(position), TRUE, &info);
      if (info.dwItemData != reinterpret_cast<ULONG_PTR>(item.get())) continue;
      info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_DATA;
      info.fType = item->oldType;
      info.hbmpItem = item->oldBitmap;
      info.dwItemData = item->oldData;
      SetMenuItemInfoA(item->menu, static_cast<UINT>(position), TRUE, &info);
      break;
    }
  }
  items_.clear();
}

TXPMenu::HookedItem* TXPMenu::ItemOf(ULONG_PTR data) {
  for (const auto& item : items_) {
    if (reinterpret_cast<ULONG_PTR>(item.get()) == data) return item.get();
  }
  return nullptr;
}

const Bitmap* TXPMenu::Image(int index) {
  if (index < 0 || !images_) return nullptr;
  auto found = imageCache_.find(index);
  if (found == imageCache_.end()) {
    found = imageCache_.emplace(index, ImageListBitmap(images_, index)).first;
  }
  return found->second.Width() > 0 ? &found->second : nullptr;
}

void TXPMenu::MeasureItem(MEASUREITEMSTRUCT& measure) {
  const HookedItem& item = *ItemOf(measure.itemData);
  MenuItemFacts facts{item.caption, item.shortcut, item.topLevel, item.hasSubItems};
  if (const Bitmap* icon = Image(item.imageIndex)) {
    facts.iconWidth = icon->Width();
    facts.iconHeight = icon->Height();
  }
  int width = static_cast<int>(measure.itemWidth);
  int height = static_cast<int>(measure.itemHeight);
  MeasureMenuItem(facts, GdiTextMetrics(Font()), Properties().IconWidth, width, height);
  measure.itemWidth = static_cast<UINT>(width);
  measure.itemHeight = static_cast<UINT>(height);
}

void TXPMenu::DrawItem(const DRAWITEMSTRUCT& draw) {
  if (!active_) return;
  try {
    ComposeItem(draw, *ItemOf(draw.itemData));
  } catch (...) {
    // A failed drawing leaves the item as it was; the program goes on.
  }
}

void TXPMenu::ComposeItem(const DRAWITEMSTRUCT& draw, const HookedItem& item) {
  const RECT& r = draw.rcItem;
  DibCanvas canvas(r.right - r.left, r.bottom - r.top);
  if (!canvas.Valid()) return;
  const bool high = HighColor();
  const WorkingColors colors = Colors();
  MenuItemState state;
  state.rect = {0, 0, canvas.Width(), canvas.Height()};
  state.topLevel = item.topLevel;
  state.separator = item.separator;
  state.selected = (draw.itemState & ODS_SELECTED) != 0;
  state.enabled = !(draw.itemState & (ODS_GRAYED | ODS_DISABLED));
  state.checked = (draw.itemState & ODS_CHECKED) != 0;
  state.radio = (item.oldType & MFT_RADIOCHECK) != 0;
  state.rightToLeft = (item.oldType & MFT_RIGHTORDER) != 0;
  state.hot = (draw.itemState & ODS_HOTLIGHT) != 0;
  state.icon = Image(item.imageIndex);
  GdiTextMetrics metrics(Font());
  state.textHeight = metrics.TextHeight();
  const TextPlacement text =
      DrawMenuItem(canvas, state, Properties(), colors, {high, CurrentSystemColors()});

  if (text.draw) {
    Selected font(canvas.dc(), Font());
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), ToColorRef(text.color));
    const UINT prefix = (draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    const UINT flags = DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | prefix;
    const std::string caption = " " + item.caption;
    RECT captionRect{text.captionLeft, text.top, canvas.Width(), canvas.Height()};
    if (state.rightToLeft) captionRect = {0, text.top, text.captionLeft, canvas.Height()};
    DrawTextA(canvas.dc(), caption.c_str(), -1, &captionRect,
              flags | (state.rightToLeft ? DT_RIGHT | DT_RTLREADING : DT_LEFT));
    if (!item.shortcut.empty()) {
      const std::string shortcut = item.shortcut + " ";
      RECT shortcutRect{0, text.top, text.shortcutRight, canvas.Height()};
      if (state.rightToLeft)
        shortcutRect = {text.shortcutRight, text.top, canvas.Width(), canvas.Height()};
      DrawTextA(canvas.dc(), shortcut.c_str(), -1, &shortcutRect,
                DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | (state.rightToLeft ? DT_LEFT : DT_RIGHT));
    }
  }
  canvas.CopyTo(draw.hDC, r.left, r.top);
}

}  // namespace orvane::ui::menu
