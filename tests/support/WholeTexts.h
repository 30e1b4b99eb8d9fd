// Checks on what the screen shows of labels: whether a label shows its whole
// text, and how its letters stand out from what lies under them.
#pragma once

#include "tests/support/Screenshot.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"

#include <string>
#include <vector>

namespace vx::test {

// Every visible label with a text on the host and on its panels, in painting order.
std::vector<ui::Label*> LabelsOf(ui::ControlHost& host);

// Repaints a host window and everything on it, and waits until that is done.
void Repaint(HWND host);

struct CutText {
    std::wstring label;
    int pixels = 0; // pixels that showed more of the text in the wider box
};

// Paints every auto-sized label of the window once in its own box and once in
// a box widened away from the edge its text is anchored to; any pixel that
// differs is text the label's own box cut off. The window must be shown and on top.
std::vector<CutText> CutTexts(ui::Form& form);

// WCAG relative luminance (0 black .. 1 white) and contrast ratio (1 .. 21).
double RelativeLuminance(COLORREF color);
double ContrastRatio(COLORREF a, COLORREF b);

struct InkContrast {
    int inkPixels = 0;      // pixels the label's letters cover
    int inkOverPicture = 0; // of them, pixels inside `picture`
    double lowest = 21.0;   // lowest contrast of the text colour against what lies under a letter pixel
};

// Takes the label's letters from two pictures of its host, with and without the
// label, and measures the text colour against the ground under each letter pixel.
InkContrast MeasureInkContrast(ui::Label& label, const RECT& picture);

struct LabelOverPicture {
    ui::Label* label;
    InkContrast ink;
};
// Every label of the host whose box overlaps the picture's area, measured as above.
std::vector<LabelOverPicture> LabelsOverPicture(ui::ControlHost& host, const RECT& picture);

} // namespace vx::test
