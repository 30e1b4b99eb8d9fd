#include "tests/support/WholeTexts.h"

#include "toolkit/Application.h"

#include <algorithm>
#include <cmath>

namespace vx::test {
namespace {

void CollectLabels(ui::ControlHost& host, std::vector<ui::Label*>& labels) {
    for (ui::Control* child : host.Children()) {
        if (!child->Visible()) continue;
        if (child->Kind() == ui::ComponentKind::Label) {
            auto* label = static_cast<ui::Label*>(child);
            if (!label->Caption().empty()) labels.push_back(label);
        } else if (auto* panel = dynamic_cast<ui::ControlHost*>(child)) {
            CollectLabels(*panel, labels);
        }
    }
}

// The label's box grown away from its anchor: far to the side its text runs to
// (unless its lines wrap at its width), and a little above and below (evenly
// when the text is centred in its height).
ui::Bounds Widened(const ui::Label& label) {
    constexpr int kSpare = 200;
    constexpr int kRise = 10;
    ui::Bounds b = label.GetBounds();
    if (!label.WordWrap()) {
        if (label.Alignment() == ui::TextAlign::Right) b.left -= kSpare;
        else if (label.Alignment() == ui::TextAlign::Center) b.left -= kSpare / 2;
        b.width += kSpare;
    }
    if (label.VerticalCenter()) b.top -= kRise;
    b.height += 2 * kRise;
    return b;
}

int DifferentPixels(const ScreenImage& a, const ScreenImage& b, const RECT& area) {
    if (a.width != b.width || a.height != b.height) return -1;
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, a.height); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, a.width); ++x)
            if (a.At(x, y) != b.At(x, y)) ++count;
    return count;
}

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

std::vector<ui::Label*> LabelsOf(ui::ControlHost& host) {
    std::vector<ui::Label*> labels;
    CollectLabels(host, labels);
    return labels;
}

void Repaint(HWND host) {
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui::ProcessMessages();
    GdiFlush();
}

std::vector<CutText> CutTexts(ui::Form& form) {
    std::vector<CutText> cut;
    for (ui::Label* label : LabelsOf(form)) {
        if (!label->AutoSize()) continue;
        const HWND host = label->Parent().HostHandle();
        const ui::Bounds own = label->GetBounds();
        const ui::Bounds wider = Widened(*label);
        Repaint(host);
        const ScreenImage laidOut = CaptureClient(host);
        // Setting the bounds directly does not size the label again.
        label->SetBounds(wider);
        Repaint(host);
        const ScreenImage wide = CaptureClient(host);
        label->SetBounds(own);
        Repaint(host);
        const int pixels = DifferentPixels(laidOut, wide, wider.Rect());
        if (pixels != 0) cut.push_back({label->Name(), pixels});
    }
    return cut;
}

double RelativeLuminance(COLORREF color) {
    return 0.2126 * Linear(GetRValue(color)) + 0.7152 * Linear(GetGValue(color)) + 0.0722 * Linear(GetBValue(color));
}

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

InkContrast MeasureInkContrast(ui::Label& label, const RECT& picture) {
    const HWND host = label.Parent().HostHandle();
    Repaint(host);
    const ScreenImage with = CaptureClient(host);
    label.SetVisible(false);
    Repaint(host);
    const ScreenImage without = CaptureClient(host);
    label.SetVisible(true);
    Repaint(host);

    InkContrast result;
    const COLORREF text = label.EffectiveFont().TextColor().Value();
    const RECT box = label.GetBounds().Rect();
    for (int y = std::max<int>(box.top, 0); y < std::min<int>(box.bottom, with.height); ++y)
        for (int x = std::max<int>(box.left, 0); x < std::min<int>(box.right, with.width); ++x) {
            const COLORREF ground = without.At(x, y);
            if (with.At(x, y) == ground) continue;
            ++result.inkPixels;
            if (PtInRect(&picture, POINT{x, y})) ++result.inkOverPicture;
            result.lowest = std::min(result.lowest, ContrastRatio(text, ground));
        }
    return result;
}

std::vector<LabelOverPicture> LabelsOverPicture(ui::ControlHost& host, const RECT& picture) {
    std::vector<LabelOverPicture> measured;
    for (ui::Label* label : LabelsOf(host)) {
        RECT overlap{};
        const RECT box = label->GetBounds().Rect();
        if (IntersectRect(&overlap, &box, &picture)) measured.push_back({label, MeasureInkContrast(*label, picture)});
    }
    return measured;
}

} // namespace vx::test
