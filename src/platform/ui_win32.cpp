#include "platform/ui_win32.h"

#include <cstring>

#include "platform/text.h"

namespace zor {

namespace {

std::wstring wide(std::string_view s) {
  std::wstring w;
  utf8ToWide(s, w);
  return w;
}

}  // namespace

UINT messageBoxType(unsigned flags) {
  UINT type = MB_OK;
  if (flags & MsgYesNo) type = MB_YESNO;
  if (flags & MsgOkCancel) type = MB_OKCANCEL;
  if (flags & MsgInfo) type |= MB_ICONINFORMATION;
  if (flags & MsgWarning) type |= MB_ICONWARNING;
  if (flags & MsgError) type |= MB_ICONERROR;
  if (flags & MsgQuestion) type |= MB_ICONQUESTION;
  if (flags & MsgTopmost) type |= MB_TOPMOST | MB_SETFOREGROUND;
  return type;
}

int messageBoxResult(int r) {
  switch (r) {
    case IDYES: return ResultYes;
    case IDNO: return ResultNo;
    case IDCANCEL: return ResultCancel;
    default: return ResultOk;
  }
}

int Win32Ui::messageBox(std::string_view text, std::string_view caption, unsigned flags) {
  UINT type = messageBoxType(flags);
  if (loading_) type |= MB_TOPMOST | MB_SETFOREGROUND;
  // Owned by the main window once it is shown, which disables it while the box is open.
  HWND owner = window_ && IsWindowVisible(window_) ? window_ : nullptr;
  return messageBoxResult(MessageBoxW(owner, wide(text).c_str(), wide(caption).c_str(), type));
}

void Win32Ui::requestRepaint() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32Ui::setTimer(TimerId id, unsigned intervalMs) {
  if (window_) SetTimer(window_, UINT_PTR(id), intervalMs, nullptr);
}

void Win32Ui::killTimer(TimerId id) {
  if (window_) KillTimer(window_, UINT_PTR(id));
}

bool Win32Ui::setClipboardText(std::string_view text) {
  std::wstring w = wide(text);
  if (!OpenClipboard(window_)) return false;
  EmptyClipboard();
  bool ok = false;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t));
  if (mem) {
    void* p = GlobalLock(mem);
    std::memcpy(p, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    if (!ok) GlobalFree(mem);
  }
  CloseClipboard();
  return ok;
}

std::string Win32Ui::clipboardText() {
  std::string out;
  if (!OpenClipboard(window_)) return out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      wideToUtf8(p, out);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

int Win32Ui::popupMenu(const std::vector<MenuEntry>& entries, int x, int y) {
  if (!window_) return 0;
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& e : entries) {
    if (e.id == 0)
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING | (e.checked ? MF_CHECKED : MF_UNCHECKED), UINT_PTR(e.id), wide(e.text).c_str());
  }
  // Show the opened menu-bar item before the menu's own loop takes over.
  UpdateWindow(window_);
  POINT pt{x, y};
  ClientToScreen(window_, &pt);
  openMenu_ = menu;
  int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, window_,
                          nullptr);
  openMenu_ = nullptr;
  DestroyMenu(menu);
  return id;
}

int64_t Win32Ui::openMenuItemCentre(int pos) const {
  RECT r{};
  if (!openMenu_ || pos < 0 || !GetMenuItemRect(nullptr, openMenu_, UINT(pos), &r)) return -1;
  return int64_t((r.left + r.right) / 2) * 65536 + (r.top + r.bottom) / 2;
}

}  // namespace zor
