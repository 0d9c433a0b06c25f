#include "platform/gdi_canvas_win32.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "platform/text.h"

namespace zor {

namespace {

std::wstring wide(std::string_view s) {
  std::wstring w;
  if (!utf8ToWide(s, w)) {
    // Broken UTF-8 still shows something: each byte as its own character.
    w.clear();
    for (unsigned char ch : s) w += wchar_t(ch);
  }
  return w;
}

int sysColorIndex(SysColor which) {
  switch (which) {
    case SysColor::Menu: return COLOR_MENU;
    case SysColor::MenuText: return COLOR_MENUTEXT;
    case SysColor::ButtonFace: return COLOR_BTNFACE;
    case SysColor::ButtonShadow: return COLOR_BTNSHADOW;
    case SysColor::Highlight: return COLOR_HIGHLIGHT;
    case SysColor::HighlightText: return COLOR_HIGHLIGHTTEXT;
    case SysColor::Window: return COLOR_WINDOW;
    case SysColor::WindowText: return COLOR_WINDOWTEXT;
  }
  return COLOR_WINDOW;
}

RECT toRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---- DoubleBuffer ----

DoubleBuffer::DoubleBuffer(HDC target, int w, int h) : width(std::max(1, w)), height(std::max(1, h)) {
  dc = CreateCompatibleDC(target);
  bitmap_ = CreateCompatibleBitmap(target, width, height);
  old_ = SelectObject(dc, bitmap_);
}

DoubleBuffer::~DoubleBuffer() {
  if (dc) SelectObject(dc, old_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc) DeleteDC(dc);
}

void DoubleBuffer::flush(HDC target, int x, int y) const { BitBlt(target, x, y, width, height, dc, 0, 0, SRCCOPY); }

// ---- FontCache ----

FontCache::~FontCache() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
}

HFONT FontCache::get(const Font& f) {
  auto key = std::make_tuple(f.face, f.height, f.bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  // A negative height asks for the character height (em size) rather than the cell height.
  HFONT h = CreateFontW(-f.height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        wide(f.face).c_str());
  if (!h) h = HFONT(GetStockObject(DEFAULT_GUI_FONT));
  fonts_[key] = h;
  return h;
}

// ---- GdiCanvas ----

GdiCanvas::GdiCanvas(HDC dc, int w, int h, FontCache& fonts, HWND window)
    : dc_(dc), w_(w), h_(h), fonts_(fonts), window_(window) {
  SetBkMode(dc_, TRANSPARENT);
  oldFont_ = SelectObject(dc_, fonts_.get(Font{}));
  oldPen_ = SelectObject(dc_, GetStockObject(NULL_PEN));
  oldBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
}

GdiCanvas::~GdiCanvas() {
  SelectClipRgn(dc_, nullptr);
  SelectObject(dc_, oldFont_);
  SelectObject(dc_, oldPen_);
  SelectObject(dc_, oldBrush_);
  for (auto& [key, p] : pens_) DeleteObject(p);
}

HPEN GdiCanvas::pen(const Pen& p) {
  int style = p.style == PenStyle::Dash ? PS_DASH : p.style == PenStyle::Dot ? PS_DOT : PS_SOLID;
  auto key = std::make_tuple(p.color, std::max(1, p.width), style);
  auto it = pens_.find(key);
  if (it != pens_.end()) return it->second;
  HPEN h = CreatePen(style, std::max(1, p.width), toColorRef(p.color));
  pens_[key] = h;
  return h;
}

void GdiCanvas::fillRect(const Rect& r, Color c) {
  if (r.empty()) return;
  RECT rc = toRECT(r);
  SetBkColor(dc_, toColorRef(c));
  ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);  // the cheapest solid fill
}

void GdiCanvas::frameRect(const Rect& r, Color c, int t) {
  if (r.empty() || t <= 0) return;
  t = std::min({t, (r.width() + 1) / 2, (r.height() + 1) / 2});
  fillRect(Rect{r.left, r.top, r.right, r.top + t}, c);
  fillRect(Rect{r.left, r.bottom - t, r.right, r.bottom}, c);
  fillRect(Rect{r.left, r.top + t, r.left + t, r.bottom - t}, c);
  fillRect(Rect{r.right - t, r.top + t, r.right, r.bottom - t}, c);
}

void GdiCanvas::line(Point a, Point b, const Pen& p) {
  SelectObject(dc_, pen(p));
  MoveToEx(dc_, a.x, a.y, nullptr);
  LineTo(dc_, b.x, b.y);
}

void GdiCanvas::polyline(const Point* pts, size_t n, const Pen& p) {
  if (n < 2) return;
  std::vector<POINT> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = POINT{pts[i].x, pts[i].y};
  SelectObject(dc_, pen(p));
  Polyline(dc_, v.data(), int(n));
}

void GdiCanvas::polygon(const Point* pts, size_t n, const Pen& p, int64_t fill) {
  if (n < 3) return;
  std::vector<POINT> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = POINT{pts[i].x, pts[i].y};
  SelectObject(dc_, pen(p));
  if (fill >= 0) {
    SelectObject(dc_, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc_, toColorRef(Color(fill)));
  } else {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
  }
  Polygon(dc_, v.data(), int(n));
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
}

void GdiCanvas::ellipse(const Rect& r, const Pen& p, int64_t fill) {
  SelectObject(dc_, pen(p));
  if (fill >= 0) {
    SelectObject(dc_, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc_, toColorRef(Color(fill)));
  } else {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
  }
  Ellipse(dc_, r.left, r.top, r.right, r.bottom);
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
}

void GdiCanvas::alphaFill(const Rect& r, Color c, int alpha) {
  if (r.empty() || alpha <= 0) return;
  if (alpha >= 255) {
    fillRect(r, c);
    return;
  }
  // One source pixel of the colour, stretched over r and blended with a constant opacity.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 1;
  bi.bmiHeader.biHeight = 1;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC src = CreateCompatibleDC(dc_);
  HBITMAP bmp = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (src && bmp && bits) {
    *static_cast<uint32_t*>(bits) = c & 0xFFFFFF;  // a DIB pixel is 0x00RRGGBB
    HGDIOBJ old = SelectObject(src, bmp);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, BYTE(alpha), 0};
    AlphaBlend(dc_, r.left, r.top, r.width(), r.height(), src, 0, 0, 1, 1, bf);
    SelectObject(src, old);
  }
  if (bmp) DeleteObject(bmp);
  if (src) DeleteDC(src);
}

void GdiCanvas::setFont(const Font& f) { SelectObject(dc_, fonts_.get(f)); }

Size GdiCanvas::textSize(std::string_view text) {
  std::wstring w = wide(text);
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc_, w.c_str(), int(w.size()), &s);
  return Size{s.cx, s.cy};
}

void GdiCanvas::text(int x, int y, std::string_view text, Color c) {
  std::wstring w = wide(text);
  SetTextColor(dc_, toColorRef(c));
  TextOutW(dc_, x, y, w.c_str(), int(w.size()));
}

void GdiCanvas::textInRect(const Rect& r, std::string_view text, Color c, unsigned align) {
  std::wstring w = wide(text);
  RECT rc = toRECT(r);
  UINT flags = DT_SINGLELINE | DT_NOPREFIX;
  flags |= (align & AlignRight) ? DT_RIGHT : (align & AlignCenter) ? DT_CENTER : DT_LEFT;
  flags |= (align & AlignBottom) ? DT_BOTTOM : (align & AlignVCenter) ? DT_VCENTER : DT_TOP;
  SetTextColor(dc_, toColorRef(c));
  DrawTextW(dc_, w.c_str(), int(w.size()), &rc, flags);
}

void GdiCanvas::icon(int x, int y, int size) {
  HICON h = programIcon(size);
  if (h) DrawIconEx(dc_, x, y, h, size, size, 0, nullptr, DI_NORMAL);
}

Color GdiCanvas::systemColor(SysColor which) { return fromColorRef(GetSysColor(sysColorIndex(which))); }

void GdiCanvas::captionButton(const Rect& r, CaptionButton kind, ButtonState state) {
  RECT rc = toRECT(r);
  HTHEME theme = window_ ? OpenThemeData(window_, L"WINDOW") : nullptr;
  if (theme) {
    int part = kind == CaptionButton::Minimize ? WP_MINBUTTON
               : kind == CaptionButton::Maximize ? WP_MAXBUTTON
               : kind == CaptionButton::Restore  ? WP_RESTOREBUTTON
                                                 : WP_CLOSEBUTTON;
    // The four button parts share the state numbering of MINBS_*.
    int st = state == ButtonState::Pressed ? MINBS_PUSHED : state == ButtonState::Hot ? MINBS_HOT : MINBS_NORMAL;
    DrawThemeBackground(theme, dc_, part, st, &rc, nullptr);
    CloseThemeData(theme);
    return;
  }
  UINT f = kind == CaptionButton::Minimize ? DFCS_CAPTIONMIN
           : kind == CaptionButton::Maximize ? DFCS_CAPTIONMAX
           : kind == CaptionButton::Restore  ? DFCS_CAPTIONRESTORE
                                             : DFCS_CAPTIONCLOSE;
  if (state == ButtonState::Pressed) f |= DFCS_PUSHED;
  if (state == ButtonState::Hot) f |= DFCS_HOT;
  DrawFrameControl(dc_, &rc, DFC_CAPTION, f);
}

Size GdiCanvas::captionButtonSize() { return Size{GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE)}; }

void GdiCanvas::pushClip(const Rect& r) {
  Rect c = clips_.empty() ? Rect{0, 0, w_, h_} : clips_.back();
  c = Rect{std::max(c.left, r.left), std::max(c.top, r.top), std::min(c.right, r.right), std::min(c.bottom, r.bottom)};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  clips_.push_back(c);
  applyClip();
}

void GdiCanvas::popClip() {
  if (!clips_.empty()) clips_.pop_back();
  applyClip();
}

void GdiCanvas::applyClip() {
  if (clips_.empty()) {
    SelectClipRgn(dc_, nullptr);
    return;
  }
  const Rect& c = clips_.back();
  HRGN rgn = CreateRectRgn(c.left, c.top, c.right, c.bottom);
  SelectClipRgn(dc_, rgn);
  DeleteObject(rgn);
}

HICON programIcon(int size) {
  static std::map<int, HICON> icons;
  auto it = icons.find(size);
  if (it != icons.end()) return it->second;
  HICON h = HICON(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  icons[size] = h;
  return h;
}

}  // namespace zor
