// What the dialogs use besides their window: message boxes above the dialog, the folder
// browser, the executable's version and the monitors' work areas.
#include <shlobj.h>

#include <vector>

#include "platform/text.h"
#include "platform/ui_win32.h"
#include "platform/win32/dialog_win32.h"
#include "platform/win32/dialog_window_win32.h"

namespace zor {

std::wstring wideText(std::string_view s) {
  std::wstring w;
  utf8ToWide(s, w);
  return w;
}

std::string utf8Text(const std::wstring& w) {
  std::string s;
  wideToUtf8(w, s);
  return s;
}

// ---- DialogUi ----

int DialogUi::messageBox(std::string_view text, std::string_view caption, unsigned flags) {
  HWND owner = owner_ && IsWindow(owner_) ? owner_ : app_.window();
  return messageBoxResult(MessageBoxW(owner, wideText(text).c_str(), wideText(caption).c_str(), messageBoxType(flags)));
}

void DialogUi::requestRepaint() { app_.requestRepaint(); }
void DialogUi::setTimer(TimerId id, unsigned intervalMs) { app_.setTimer(id, intervalMs); }
void DialogUi::killTimer(TimerId id) { app_.killTimer(id); }
bool DialogUi::setClipboardText(std::string_view text) { return app_.setClipboardText(text); }
std::string DialogUi::clipboardText() { return app_.clipboardText(); }
int DialogUi::popupMenu(const std::vector<MenuEntry>& entries, int x, int y) { return app_.popupMenu(entries, x, y); }

// ---- Win32DialogHost services ----

namespace {

// Opens the browser on the directory the edit already names.
int CALLBACK browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM start) {
  if (msg == BFFM_INITIALIZED && start && *reinterpret_cast<const wchar_t*>(start))
    SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

}  // namespace

bool Win32DialogHost::browseFolder(std::string_view title, std::string& path) {
  std::wstring caption = wideText(title), start = wideText(path);
  BROWSEINFOW bi{};
  bi.hwndOwner = GetActiveWindow();
  bi.lpszTitle = caption.c_str();
  bi.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_RETURNONLYFSDIRS;
  bi.lpfn = browseCallback;
  bi.lParam = LPARAM(start.c_str());
  PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
  if (!pidl) return false;
  // Long paths too: a cut path would name another directory.
  std::vector<wchar_t> buf(32768, L'\0');
  bool ok = SHGetPathFromIDListEx(pidl, buf.data(), DWORD(buf.size()), GPFIDL_DEFAULT) && buf[0];
  CoTaskMemFree(pidl);
  if (!ok) return false;
  path = utf8Text(buf.data());
  return true;
}

std::string Win32DialogHost::programVersion() {
  std::vector<wchar_t> exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
  if (n == 0 || n >= exe.size()) return {};
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(exe.data(), &handle);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!GetFileVersionInfoW(exe.data(), 0, size, info.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || !fixed || len < sizeof *fixed)
    return {};
  return strPrintf("%u.%u.%u", unsigned(HIWORD(fixed->dwFileVersionMS)), unsigned(LOWORD(fixed->dwFileVersionMS)),
                   unsigned(HIWORD(fixed->dwFileVersionLS)));
}

Rect Win32DialogHost::workAreaAt(int x, int y) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &mi) && !IsRectEmpty(&mi.rcWork))
    return Rect{int(mi.rcWork.left), int(mi.rcWork.top), int(mi.rcWork.right), int(mi.rcWork.bottom)};
  return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace zor
