// The painter's toolbar buttons: custom-drawn hot, checked, pressed and drop-down states.
#include "ui/menu/dib_canvas_win32.h"
#include "ui/menu/menu_item_drawing.h"
#include "ui/menu/xp_menu_win32.h"

namespace orvane::ui::menu {
namespace {

constexpr int kDropDownSplit = 13;  // from the right edge: the arrow part
constexpr int kDropDownArrow = 10;  // the arrow's place from the right edge
constexpr int kImageTop = 2;
constexpr int kSeparatorLineDarkening = 30;

void DrawDownTriangle(Canvas& canvas, int centreX, int top, Rgb colour) {
  for (int row = 0; row < 3; ++row) {
    FillRect(canvas, {centreX - 2 + row, top + row, centreX + 3 - row, top + row + 1}, colour);
  }
}

HIMAGELIST ButtonImages(HWND toolbar, bool hot, bool disabled) {
  HIMAGELIST list = nullptr;
  if (hot) list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
  if (disabled) {
    list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETDISABLEDIMAGELIST, 0, 0));
  }
  if (!list) list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
  return list;
}

void DrawButtonFace(Canvas& canvas, const WorkingColors& colors, bool hot, bool checked,
                    bool pressed, bool dropDown) {
  const Rect all{0, 0, canvas.Width(), canvas.Height()};
  if (hot) {
    FillRect(canvas, all,
             (checked || pressed) ? colors.checkSelectedBackground : colors.selectFill);
  } else if (checked) {
    FillRect(canvas, all, colors.checkBackground);
  }
  if (hot || checked) {
    FrameRect(canvas, all, colors.selectBorder);
    if (dropDown) {
      const int x = all.right - kDropDownSplit;
      FillRect(canvas, {x, 0, x + 1, all.bottom}, colors.selectBorder);
    }
  }
  if (dropDown) DrawDownTriangle(canvas, all.right - kDropDownArrow, all.bottom / 2 - 1, kBlack);
}

// A separator just before a button is given the toolbar's colour and, when its tag (the
// button's data) is above 0, a line down its middle.
void RepaintSeparatorBefore(HWND toolbar, int index, HDC dc, bool transparent, Rgb face) {
  TBBUTTON before{};
  if (index <= 0 ||
      !SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index - 1),
                    reinterpret_cast<LPARAM>(&before)) ||
      !(before.fsStyle & BTNS_SEP)) {
    return;
  }
  RECT sep{};
  SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index - 1),
               reinterpret_cast<LPARAM>(&sep));
  if (!transparent) FillRect(dc, &sep, GetSysColorBrush(COLOR_BTNFACE));
  if (static_cast<int>(before.dwData) > 0) {
    GdiObject<HPEN> pen(
        CreatePen(PS_SOLID, 1, ToColorRef(DarkenColor(face, kSeparatorLineDarkening))));
    Selected selected(dc, pen.get());
    const int x = (sep.left + sep.right) / 2;
    MoveToEx(dc, x, sep.top, nullptr);
    LineTo(dc, x, sep.bottom);
  }
}

}  // namespace

void TXPMenu::HookToolbar(HWND toolbar) {
  const LONG_PTR style = GetWindowLongPtrA(toolbar, GWL_STYLE);
  toolbars_.push_back({toolbar, style});
  SetWindowLongPtrA(toolbar, GWL_STYLE, style | TBSTYLE_FLAT);
  InvalidateRect(toolbar, nullptr, TRUE);
}

LRESULT TXPMenu::ToolbarCustomDraw(NMTBCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return active_ ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
      try {
        DrawToolButton(draw);
        return CDRF_SKIPDEFAULT;
      } catch (...) {
        return CDRF_DODEFAULT;  // the toolbar's own look rather than nothing
      }
    default:
      return CDRF_DODEFAULT;
  }
}

void TXPMenu::DrawToolButton(NMTBCUSTOMDRAW& draw) {
  HWND toolbar = draw.nmcd.hdr.hwndFrom;
  const RECT& r = draw.nmcd.rc;
  DibCanvas canvas(r.right - r.left, r.bottom - r.top);
  if (!canvas.Valid()) return;
  const WorkingColors colors = Colors();
  const bool high = HighColor();
  const Rgb face = CurrentSystemColors().buttonFace;
  const UINT state = draw.nmcd.uItemState;
  const bool hot = (state & CDIS_HOT) != 0;
  const bool checked = (state & CDIS_CHECKED) != 0;
  const bool pressed = (state & CDIS_SELECTED) != 0;
  const bool disabled = (state & CDIS_DISABLED) != 0;
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_IMAGE | TBIF_STYLE | TBIF_BYINDEX;
  const int index =
      static_cast<int>(SendMessageA(toolbar, TB_COMMANDTOINDEX, draw.nmcd.dwItemSpec, 0));
  SendMessageA(toolbar, TB_GETBUTTONINFOA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&info));
  const bool dropDown = (info.fsStyle & BTNS_DROPDOWN) != 0;

  // A transparent toolbar shows its parent through: start from what is on the screen.
  const bool transparent = (GetWindowLongPtrA(toolbar, GWL_STYLE) & TBSTYLE_TRANSPARENT) != 0;
  const Rect all{0, 0, canvas.Width(), canvas.Height()};
  if (transparent) {
    canvas.CaptureFrom(draw.nmcd.hdc, r.left, r.top);
  } else {
    FillRect(canvas, all, face);
  }
  DrawButtonFace(canvas, colors, hot, checked, pressed, dropDown);

  HIMAGELIST images = ButtonImages(toolbar, hot, disabled);
  const Bitmap icon = ImageListBitmap(images, info.iImage);
  if (icon.Width() > 0) {
    const int room = canvas.Width() - (dropDown ? kDropDownSplit : 0);
    MenuItemState look;
    look.selected = hot;
    look.pressed = pressed;
    look.enabled = !disabled;
    look.checked = checked;
    DrawMenuIcon(canvas, icon, {(room - icon.Width()) / 2, kImageTop}, look, Properties(), colors,
                 high);
  }
  RepaintSeparatorBefore(toolbar, index, draw.nmcd.hdc, transparent, face);
  canvas.CopyTo(draw.nmcd.hdc, r.left, r.top);
}

}  // namespace orvane::ui::menu
