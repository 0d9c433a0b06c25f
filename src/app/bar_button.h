// The button look of the bars around the chart and of the training bar, and the state a
// button shows from the window's hover and press.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/hit_area.h"

namespace zor {

struct WindowState;

enum ButtonLook : int { LookNormal = 0, LookHover = 1, LookPressed = 2 };
// Colour schemes of inactive buttons; a number outside them draws grey.
enum ButtonScheme : int { SchemeGrey = 0, SchemeGreen = 1, SchemeBlue = 2, SchemeAmber = 3 };

// Pressed when it is the pressed button, else hover when it is the hovered one.
ButtonLook buttonLook(const WindowState& win, HitRef ref);

// A bar button: an active button is red; an inactive one takes its scheme's face for its look.
// The text is centred, one pixel right and down while pressed.
void paintButton(Canvas& c, const Rect& r, std::string_view text, ButtonLook look, bool active, int scheme);

// A flat button of one fill, its label centred 5 pixels below its top (the training bar's look).
void paintFlatButton(Canvas& c, const Rect& r, std::string_view text, Color fill, Color label);

// A button of the bars as laid out: where, what it says, what it is, how it is drawn.
struct BarButton {
  Rect rect;
  std::string text;
  HitRef ref;
  bool active = false;
  int scheme = 0;
};

// A flat button of the training bar as laid out.
struct FlatButton {
  Rect rect;
  std::string text;
  HitRef ref;
  Color fill = 0, label = 0;
};

// Paints laid-out buttons and registers their areas; a bar button's look comes from the
// window's hover and press.
void paintBarButtons(Canvas& c, const WindowState& win, const std::vector<BarButton>& buttons,
                     std::vector<HitArea>& areas);
void paintFlatButtons(Canvas& c, const std::vector<FlatButton>& buttons, std::vector<HitArea>& areas);

}  // namespace zor
