// The standard controls of a dialog: created from its fields, read back into them before
// every event, and shown again when an event changed them.
#include <map>
#include <tuple>

#include "platform/text.h"
#include "platform/win32/dialog_window_win32.h"

namespace zor {

namespace {

constexpr int kComboDropHeight = 200;  // room for the open list below a combo box

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass controlClass(const DialogField& f) {
  switch (f.kind) {
    case FieldKind::Label: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case FieldKind::Edit: return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
    case FieldKind::TextBox:
      return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    case FieldKind::Button:
      return {L"BUTTON", DWORD(WS_TABSTOP | (f.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)), 0};
    case FieldKind::CheckBox: return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case FieldKind::Combo: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case FieldKind::List: return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

HFONT fontFor(DialogWindow& w, std::map<std::tuple<std::string, int, bool>, HFONT>& made, const Font& f) {
  auto key = std::make_tuple(f.face, f.height, f.bold);
  auto it = made.find(key);
  if (it != made.end()) return it->second;
  // A negative height asks for the character height in pixels.
  HFONT h = CreateFontW(-f.height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        w.d.gbCharset ? GB2312_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wideText(f.face).c_str());
  if (h) w.fonts.push_back(h);
  made[key] = h;
  return h;
}

void fillItems(HWND control, const DialogField& f) {
  UINT add = f.kind == FieldKind::Combo ? CB_ADDSTRING : LB_ADDSTRING;
  for (const std::string& item : f.items) SendMessageW(control, add, 0, LPARAM(wideText(item).c_str()));
}

std::string windowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring w(size_t(n > 0 ? n : 0) + 1, L'\0');
  int got = GetWindowTextW(h, w.data(), n + 1);
  w.resize(size_t(got > 0 ? got : 0));
  return utf8Text(w);
}

}  // namespace

bool createControls(DialogWindow& w) {
  std::map<std::tuple<std::string, int, bool>, HFONT> made;
  for (const DialogField& f : w.d.fields) {
    ControlClass cls = controlClass(f);
    const Rect& r = f.rect;
    int height = f.kind == FieldKind::Combo ? r.height() + kComboDropHeight : r.height();
    bool showsLabel = f.kind == FieldKind::Label || f.kind == FieldKind::Button || f.kind == FieldKind::CheckBox;
    std::wstring text = wideText(showsLabel ? f.label : f.text);
    HWND c = CreateWindowExW(cls.exStyle, cls.name, text.c_str(), WS_CHILD | WS_VISIBLE | cls.style, r.left, r.top,
                             r.width(), height, w.hwnd, reinterpret_cast<HMENU>(INT_PTR(f.id)),
                             w.host.instance(), nullptr);
    if (!c) return false;
    SendMessageW(c, WM_SETFONT, WPARAM(fontFor(w, made, f.font)), FALSE);
    if (f.kind == FieldKind::Combo || f.kind == FieldKind::List) fillItems(c, f);
  }
  writeControls(w);
  return true;
}

void readControls(DialogWindow& w) {
  for (DialogField& f : w.d.fields) {
    HWND c = f.id ? GetDlgItem(w.hwnd, f.id) : nullptr;
    if (!c) continue;
    switch (f.kind) {
      case FieldKind::Edit:
      case FieldKind::TextBox: f.text = windowText(c); break;
      case FieldKind::CheckBox: f.checked = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED; break;
      case FieldKind::Combo: f.selected = int(SendMessageW(c, CB_GETCURSEL, 0, 0)); break;
      case FieldKind::List: f.selected = int(SendMessageW(c, LB_GETCURSEL, 0, 0)); break;
      default: break;
    }
  }
}

void writeControls(DialogWindow& w) {
  for (const DialogField& f : w.d.fields) {
    HWND c = f.id ? GetDlgItem(w.hwnd, f.id) : nullptr;
    if (!c) continue;
    switch (f.kind) {
      case FieldKind::Edit:
      case FieldKind::TextBox:
        if (windowText(c) != f.text) SetWindowTextW(c, wideText(f.text).c_str());
        break;
      case FieldKind::CheckBox: SendMessageW(c, BM_SETCHECK, f.checked ? BST_CHECKED : BST_UNCHECKED, 0); break;
      case FieldKind::Combo: SendMessageW(c, CB_SETCURSEL, WPARAM(f.selected), 0); break;
      case FieldKind::List: SendMessageW(c, LB_SETCURSEL, WPARAM(f.selected), 0); break;
      default: break;
    }
  }
}

void deleteControlFonts(DialogWindow& w) {
  for (HFONT f : w.fonts) DeleteObject(f);
  w.fonts.clear();
}

HBRUSH controlColours(DialogWindow& w, HDC dc, HWND control) {
  wchar_t cls[16] = {};
  GetClassNameW(control, cls, 16);
  // A read-only text box reads like a page, not like the dialog's background.
  if (lstrcmpiW(cls, L"Edit") == 0) {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return w.background;
}

}  // namespace zor
