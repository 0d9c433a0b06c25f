#include "app/bar_button.h"

#include "app/window_state.h"

namespace zor {

namespace {

struct Scheme {
  Color face, hoverFace, pressedFace, border, hoverBorder;
};

// Keep in the order of ButtonScheme.
constexpr Scheme kSchemes[] = {
    {rgb(38, 40, 48), rgb(52, 56, 68), rgb(16, 17, 22), rgb(76, 80, 94), rgb(118, 126, 144)},
    {rgb(0, 120, 60), rgb(18, 148, 80), rgb(0, 84, 42), rgb(64, 190, 124), rgb(120, 220, 170)},
    {rgb(60, 90, 140), rgb(80, 112, 168), rgb(40, 60, 96), rgb(110, 150, 200), rgb(150, 190, 235)},
    {rgb(150, 118, 42), rgb(176, 142, 58), rgb(102, 80, 28), rgb(210, 180, 110), rgb(235, 210, 150)},
};

// The text centred on the rectangle: horizontally on (left + right) / 2, vertically with the
// font's height (18 pixels when the font reports none).
void centredText(Canvas& c, const Rect& r, std::string_view text, Color col, int shift) {
  Size s = c.textSize(text);
  int fh = s.cy > 0 ? s.cy : 18;
  int x = (r.left + r.right) / 2 - s.cx / 2 + shift;
  int y = r.top + (r.height() - fh) / 2 + shift;
  c.text(x, y, text, col);
}

}  // namespace

ButtonLook buttonLook(const WindowState& win, HitRef ref) {
  if (win.pressed == ref) return LookPressed;
  if (win.hover == ref) return LookHover;
  return LookNormal;
}

void paintButton(Canvas& c, const Rect& r, std::string_view text, ButtonLook look, bool active, int scheme) {
  const Scheme& s = kSchemes[scheme >= 0 && scheme <= 3 ? scheme : 0];
  const bool pressed = look == LookPressed;
  Color face, border, textColor;
  Color topLine = 0;
  bool hasTopLine = !pressed;
  if (active) {
    face = pressed ? rgb(128, 16, 16) : rgb(172, 32, 32);
    topLine = rgb(214, 76, 76);
    border = pressed ? rgb(236, 120, 120) : rgb(226, 96, 96);
    textColor = rgb(255, 255, 255);
  } else if (pressed) {
    face = s.pressedFace;
    border = s.hoverBorder;
    textColor = rgb(245, 245, 245);
  } else if (look == LookHover) {
    face = s.hoverFace;
    topLine = border = s.hoverBorder;
    textColor = rgb(250, 250, 250);
  } else {
    face = s.face;
    topLine = s.hoverFace;
    border = s.border;
    textColor = scheme >= 1 && scheme <= 3 ? rgb(255, 255, 255) : rgb(198, 198, 198);
  }
  c.fillRect(r, face);
  if (hasTopLine) c.fillRect(Rect{r.left + 1, r.top + 1, r.right - 1, r.top + 2}, topLine);
  c.frameRect(r, border, 1);
  centredText(c, r, text, textColor, pressed ? 1 : 0);
}

void paintFlatButton(Canvas& c, const Rect& r, std::string_view text, Color fill, Color label) {
  c.fillRect(r, fill);
  c.text((r.left + r.right) / 2 - c.textSize(text).cx / 2, r.top + 5, text, label);
}

void paintBarButtons(Canvas& c, const WindowState& win, const std::vector<BarButton>& buttons,
                     std::vector<HitArea>& areas) {
  for (const BarButton& b : buttons) {
    paintButton(c, b.rect, b.text, buttonLook(win, b.ref), b.active, b.scheme);
    areas.push_back(HitArea::of(b.rect, b.ref.kind, b.ref.index));
  }
}

void paintFlatButtons(Canvas& c, const std::vector<FlatButton>& buttons, std::vector<HitArea>& areas) {
  for (const FlatButton& b : buttons) {
    paintFlatButton(c, b.rect, b.text, b.fill, b.label);
    areas.push_back(HitArea::of(b.rect, b.ref.kind, b.ref.index));
  }
}

}  // namespace zor
