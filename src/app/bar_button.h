// The button look of the bars around the chart and of the training bar, and the state a
// button shows from the window's hover and press.
#pragma once

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

// Paints a bar button and registers its area; the look comes from the window's hover and press.
void barButton(Canvas& c, const WindowState& win, std::vector<HitArea>& areas, const Rect& r, std::string_view text,
               HitRef ref, bool active, int scheme);

}  // namespace zor
