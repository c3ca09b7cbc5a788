// The flat frames and marks of the hooked controls, drawn over what each control painted.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/menu/control_subclass_win32.h"
#include "ui/menu/dib_canvas_win32.h"
#include "ui/menu/menu_item_drawing.h"
#include "ui/menu/tags_win32.h"

namespace orvane::ui::menu {
namespace {

// The size of the platform's check box and radio button mark: the flat one takes its place, so
// the caption beside it stays clear.
constexpr int kMarkSize = 13;
constexpr int kShade = 60;
constexpr int kGroupCaptionLeft = 9;
constexpr int kGlyphSpacing = 4;
constexpr int kButtonCorner = 4;

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

void Frame(HDC dc, const RECT& rect, Rgb colour) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorRef(colour)));
  FrameRect(dc, &rect, brush.get());
}

void Fill(HDC dc, const RECT& rect, Rgb colour) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorRef(colour)));
  FillRect(dc, &rect, brush.get());
}

void Line(HDC dc, int x1, int y1, int x2, int y2, Rgb colour) {
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ToColorRef(colour)));
  Selected selected(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void DownTriangle(HDC dc, int centreX, int top, Rgb colour) {
  for (int row = 0; row < 3; ++row)
    Line(dc, centreX - 2 + row, top + row, centreX + 3 - row, top + row, colour);
}

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A tick in a box's colours: three strokes two pixels thick.
void Tick(HDC dc, const RECT& box, Rgb colour) {
  const int l = box.left + 3, b = box.bottom - 4;
  for (int i = 0; i < 2; ++i) {
    Line(dc, l, b - 3 + i, l + 2, b - 1 + i, colour);
    Line(dc, l + 2, b - 1 + i, l + 7, b - 6 + i, colour);
  }
}

}  // namespace

void PaintComboBox(const ControlLook& look) {
  WindowDC dc(look.control);
  RECT rect = ClientRect(look.control);
  const bool dropped = SendMessageA(look.control, CB_GETDROPPEDSTATE, 0, 0) != 0;
  const bool enabled = IsWindowEnabled(look.control) != FALSE;
  const WorkingColors& c = look.colors;
  Rgb frame = look.system.window, button = look.system.buttonFace;
  if (dropped) {
    frame = c.selectBorder;
    button = c.checkSelectedBackground;
  } else if (look.hot) {
    frame = c.selectBorder;
    button = c.selectFill;
  } else if (look.focused) {
    frame = LightenColor(c.selectBorder, 60);
    button = c.checkBackground;
  }
  Frame(dc.get(), rect, frame);
  InflateRect(&rect, -1, -1);
  Frame(dc.get(), rect, look.system.window);  // where the sunken edge was
  const int width = GetSystemMetrics(SM_CXHTHUMB);
  const RECT arrow{rect.right - width, rect.top, rect.right, rect.bottom};
  // The platform's button can be wider than the flat one: its left edge goes under the field's
  // colour.
  COMBOBOXINFO platform{};
  platform.cbSize = sizeof platform;
  if (GetComboBoxInfo(look.control, &platform) && platform.rcButton.left < arrow.left) {
    Fill(dc.get(), {std::max(platform.rcButton.left, rect.left), rect.top, arrow.left, rect.bottom},
         look.system.window);
  }
  Fill(dc.get(), arrow, button);
  DownTriangle(dc.get(), (arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2 - 1,
               (!enabled || dropped) ? kWhite : kBlack);
}

void PaintCheckBox(const ControlLook& look) {
  WindowDC dc(look.control);
  const RECT client = ClientRect(look.control);
  const int top = (client.bottom - kMarkSize) / 2;
  const RECT box{0, top, kMarkSize, top + kMarkSize};
  const LRESULT state = SendMessageA(look.control, BM_GETCHECK, 0, 0);
  const bool enabled = IsWindowEnabled(look.control) != FALSE;
  const bool pressed = look.mouseDown || look.spaceDown;
  const WorkingColors& c = look.colors;
  Rgb fill = state == BST_INDETERMINATE ? kSilver : look.system.window;
  if (pressed) {
    fill = c.checkSelectedBackground;
  } else if (look.hot || look.focused) {
    fill = c.selectFill;
  }
  // The platform's mark goes under the button's colour first: it may sit a pixel higher.
  Fill(dc.get(), {0, top - 1, kMarkSize, top + kMarkSize}, look.system.buttonFace);
  Fill(dc.get(), box, fill);
  Frame(dc.get(), box, (look.hot || look.focused) ? c.selectBorder : look.system.buttonShadow);
  if (state == BST_UNCHECKED) return;
  Rgb mark = look.system.highlight;
  if (state == BST_INDETERMINATE) {
    mark = kGrey;
  } else if (!enabled) {
    mark = c.disabledText;
  } else if (pressed) {
    mark = look.system.window;
  }
  Tick(dc.get(), box, mark);
}

void PaintRadioButton(const ControlLook& look) {
  WindowDC dc(look.control);
  const RECT client = ClientRect(look.control);
  const int size = kMarkSize - 1;
  const int top = (client.bottom - size) / 2;
  const bool enabled = IsWindowEnabled(look.control) != FALSE;
  const WorkingColors& c = look.colors;
  // The platform's mark goes under the button's colour first: the circle is a pixel smaller.
  Fill(dc.get(), {0, top - 1, kMarkSize, top + kMarkSize}, look.system.buttonFace);
  GdiObject<HPEN> pen(
      CreatePen(PS_SOLID, 1, ToColorRef(look.hot ? c.selectBorder : look.system.buttonShadow)));
  GdiObject<HBRUSH> brush(
      CreateSolidBrush(ToColorRef((look.hot || look.focused) ? c.selectFill : look.system.window)));
  Selected usePen(dc.get(), pen.get());
  Selected useBrush(dc.get(), brush.get());
  Ellipse(dc.get(), 0, top, size, top + size);
  if (SendMessageA(look.control, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  const Rgb dot = enabled ? look.system.highlight : c.disabledText;
  GdiObject<HPEN> dotPen(CreatePen(PS_SOLID, 1, ToColorRef(dot)));
  GdiObject<HBRUSH> dotBrush(CreateSolidBrush(ToColorRef(dot)));
  Selected useDotPen(dc.get(), dotPen.get());
  Selected useDotBrush(dc.get(), dotBrush.get());
  Ellipse(dc.get(), 3, top + 3, size - 3, top + size - 3);
}

void PaintGroupBox(const ControlLook& look) {
  WindowDC dc(look.control);
  const RECT client = ClientRect(look.control);
  Selected font(dc.get(), FontOf(look.control));
  const std::string caption = TextOf(look.control);
  SIZE text{};
  GetTextExtentPoint32A(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
  const Rgb face = look.system.buttonFace;
  const int y = text.cy / 2;
  // The platform's etched frame and caption go under the control's colour.
  Fill(dc.get(), {0, 0, client.right, text.cy}, face);
  Frame(dc.get(), {0, y, client.right, client.bottom}, face);
  Frame(dc.get(), {1, y + 1, client.right - 1, client.bottom - 1}, face);
  Frame(dc.get(), {0, y, client.right - 1, client.bottom - 1}, DarkenColor(face, kShade));
  Frame(dc.get(), {1, y + 1, client.right, client.bottom}, LightenColor(face, kShade));
  if (caption.empty()) return;
  Fill(dc.get(), {kGroupCaptionLeft - 2, 0, kGroupCaptionLeft + text.cx + 2, text.cy}, face);
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), IsWindowEnabled(look.control) ? GetSysColor(COLOR_WINDOWTEXT)
                                                       : GetSysColor(COLOR_GRAYTEXT));
  TextOutA(dc.get(), kGroupCaptionLeft, 0, caption.c_str(), static_cast<int>(caption.size()));
}

void PaintProgressBar(const ControlLook& look) {
  WindowDC dc(look.control, true);
  RECT rect{};
  GetWindowRect(look.control, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  Frame(dc.get(), rect,
        look.hot ? look.colors.selectBorder : DarkenColor(look.system.buttonFace, kShade));
}

void PaintPanel(const ControlLook& look) {
  WindowDC dc(look.control);
  const RECT rect = ClientRect(look.control);
  const Rgb light = LightenColor(look.system.buttonFace, kShade);
  const Rgb dark = DarkenColor(look.system.buttonFace, kShade);
  // A raised bevel: light at the top and left, dark at the bottom and right.
  Line(dc.get(), rect.left, rect.bottom - 1, rect.left, rect.top, light);
  Line(dc.get(), rect.left, rect.top, rect.right, rect.top, light);
  Line(dc.get(), rect.right - 1, rect.top + 1, rect.right - 1, rect.bottom, dark);
  Line(dc.get(), rect.left + 1, rect.bottom - 1, rect.right, rect.bottom - 1, dark);
}

void PaintRichEdit(const ControlLook& look) {
  WindowDC dc(look.control, true);
  RECT rect{};
  GetWindowRect(look.control, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  Frame(dc.get(), rect,
        (look.hot || look.focused) ? LightenColor(look.colors.selectBorder, 60)
                                   : DarkenColor(look.system.buttonFace, kShade));
}

void PaintBitmapButton(const ControlLook& look) {
  const RECT client = ClientRect(look.control);
  DibCanvas canvas(client.right, client.bottom);
  if (!canvas.Valid()) return;
  const bool pressed = (SendMessageA(look.control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  const bool enabled = IsWindowEnabled(look.control) != FALSE;
  const bool lit = look.hot || pressed || look.focused;
  const Rgb frame = lit ? LightenColor(look.colors.selectBorder, 60) : look.system.buttonShadow;
  const Rgb fill =
      (look.hot || pressed) ? LightenColor(look.system.buttonFace, 40) : look.colors.iconBackground;
  HDC dc = canvas.dc();
  Fill(dc, client, look.system.buttonFace);  // the parent's colour
  {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ToColorRef(LightenColor(frame, 30))));
    GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorRef(fill)));
    Selected usePen(dc, pen.get());
    Selected useBrush(dc, brush.get());
    RoundRect(dc, 0, 0, client.right, client.bottom, kButtonCorner, kButtonCorner);
  }
  if (enabled) {
    const Rgb shade = DarkenColor(frame, 50);
    const int r = client.right - 1, b = client.bottom - 1;
    if (pressed) {
      Line(dc, 1, b - 1, 1, 1, shade);
      Line(dc, 1, 1, r, 1, shade);
    } else {
      Line(dc, r - 1, 1, r - 1, b - 1, shade);
      Line(dc, 1, b - 1, r, b - 1, shade);
    }
  }
  const Bitmap glyph = IconBitmap(Glyph(look.control));
  const std::string caption = TextOf(look.control);
  Selected font(dc, FontOf(look.control));
  RECT textRect{0, 0, 0, 0};
  DrawTextA(dc, caption.c_str(), -1, &textRect, DT_CALCRECT | DT_SINGLELINE);
  const int block = glyph.Width() + (caption.empty() ? 0 : kGlyphSpacing + textRect.right);
  const int left = (client.right - block) / 2;
  const int middle = client.bottom / 2;
  if (glyph.Width() > 0) {
    MenuItemState state;
    state.selected = look.hot;
    state.enabled = enabled;
    canvas.Flush();
    DrawMenuIcon(canvas, glyph, {left, middle - glyph.Height() / 2}, state, look.properties,
                 look.colors, look.highColor);
  }
  RECT captionRect{left + glyph.Width() + kGlyphSpacing, middle - textRect.bottom / 2,
                   left + block + 1, middle - textRect.bottom / 2 + textRect.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(dc, caption.c_str(), -1, &captionRect, DT_SINGLELINE);
  WindowDC target(look.control);
  canvas.CopyTo(target.get(), 0, 0);
}

}  // namespace orvane::ui::menu
