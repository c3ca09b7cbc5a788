#include "app/win32/glyph_button.h"

#include "app/win32/bitmaps.h"
#include "ui/menu/tags_win32.h"

namespace orvane::app {

namespace {
constexpr int kGlyphSpacing = 4;  // between glyph and caption
}

HWND CreateGlyphButton(HWND parent, int id, const std::string& caption, const Bounds& bounds,
                       bool visible, HICON glyph) {
  HWND button =
      CreateControl("BUTTON", caption, BS_OWNERDRAW | WS_TABSTOP | (visible ? WS_VISIBLE : 0), 0,
                    parent, id, bounds);
  ui::menu::SetGlyph(button, glyph);
  return button;
}

void DrawGlyphButton(const DRAWITEMSTRUCT& item, const Picture& glyph, bool isDefault) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;

  if (isDefault || focused) {
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
  DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  const std::string caption = WindowText(item.hwndItem);
  const SelectedFont font(dc, UiFont());
  RECT textRect{0, 0, 0, 0};
  DrawTextA(dc, caption.c_str(), -1, &textRect, DT_CALCRECT | DT_SINGLELINE);
  const int textWidth = textRect.right - textRect.left;
  const int textHeight = textRect.bottom - textRect.top;
  const int blockWidth = glyph.width + (caption.empty() ? 0 : kGlyphSpacing + textWidth);
  const int shift = pushed ? 1 : 0;
  const int left = (rect.left + rect.right - blockWidth) / 2 + shift;
  const int middle = (rect.top + rect.bottom) / 2 + shift;

  DrawPicture(dc, glyph, left, middle - glyph.height / 2, GetSysColor(COLOR_BTNFACE));
  RECT captionRect{left + glyph.width + kGlyphSpacing, middle - textHeight / 2,
                   left + blockWidth + 1, middle - textHeight / 2 + textHeight};
  SetBkMode(dc, TRANSPARENT);
  if (disabled) {
    OffsetRect(&captionRect, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, caption.c_str(), -1, &captionRect, DT_SINGLELINE);
    OffsetRect(&captionRect, -1, -1);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextA(dc, caption.c_str(), -1, &captionRect, DT_SINGLELINE);

  if (focused) {
    RECT focus = rect;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace orvane::app
