#include "app/win32/control_builders.h"

#include <vector>

#include "app/win32/win32_handles.h"

namespace orvane::app {
namespace {

// Places of the radio buttons of a one-column radio group: spread evenly below the caption.
std::vector<Bounds> RadioButtonPlaces(int groupWidth, int groupHeight, int count, int textHeight) {
  std::vector<Bounds> places;
  if (count <= 0) return places;
  const int room = groupHeight - textHeight - 5;
  const int buttonHeight = room / count;
  const int topMargin = textHeight + 1 + (room % count) / 2;
  for (int i = 0; i < count; ++i) {
    places.push_back({8, topMargin + i * buttonHeight, groupWidth - 10, buttonHeight});
  }
  return places;
}

int FontTextHeight(HWND window) {
  const WindowDC dc(window);
  const SelectedFont font(dc.get(), UiFont());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc.get(), &metrics);
  return metrics.tmHeight;
}

}  // namespace

HWND CreateGroupBox(HWND parent, int id, const char* caption, const Bounds& bounds) {
  HWND box = CreateControl("BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, WS_EX_CONTROLPARENT, parent,
                           id, bounds);
  ForwardNotificationsToForm(box);
  return box;
}

HWND CreateLabel(HWND parent, int id, const char* caption, int left, int top) {
  HWND label = CreateControl("STATIC", caption, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, parent, id,
                             {left, top, 0, 0});
  FitLabelToText(label);
  return label;
}

HWND CreateComboBox(HWND parent, int id, const Bounds& closed, int listHeight) {
  // The field scrolls as one types: a network address is longer than the box is wide, and
  // without the scroll the field would drop the keys that no longer fit.
  HWND combo = CreateControl("COMBOBOX", "",
                             WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             0, parent, id, {closed.left, closed.top, closed.width, listHeight});
  // The closed box is as high as designed, whatever height the font would give it.
  RECT rect{};
  GetWindowRect(combo, &rect);
  const int missing = closed.height - (rect.bottom - rect.top);
  if (missing != 0) {
    const LRESULT field = SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + missing);
  }
  return combo;
}

HWND CreateCheckBox(HWND parent, int id, const char* caption, const Bounds& bounds) {
  return CreateControl("BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, id,
                       bounds);
}

void CreateRadioGroup(Win32RadioGroup& group, HWND parent, int id, int firstItemId,
                      const char* caption, const Bounds& bounds,
                      std::span<const char* const> items) {
  HWND box = CreateGroupBox(parent, id, caption, bounds);
  const std::vector<Bounds> places = RadioButtonPlaces(
      bounds.width, bounds.height, static_cast<int>(items.size()), FontTextHeight(box));
  std::vector<HWND> buttons;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    buttons.push_back(CreateControl("BUTTON", items[i], style, 0, box,
                                    firstItemId + static_cast<int>(i), places[i]));
  }
  group.Attach(box, std::move(buttons));
}

}  // namespace orvane::app
