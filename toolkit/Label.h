// A transparent text painted by its parent over whatever lies below it. It
// sizes itself to its text unless it has a fixed size (a word-wrapped label
// keeps its width and takes the height its lines need); a right-aligned one
// keeps its right edge where it is. "&" marks an access key unless the label
// shows ampersands as they are.
#pragma once

#include "toolkit/Control.h"

#include <optional>
#include <string>

namespace vx::ui {

enum class TextAlign { Left, Right, Center };

struct LabelOptions {
    std::optional<LayoutFont> font = std::nullopt; // none: the parent's font
    bool autoSize = true;
    bool wordWrap = false;
    TextAlign alignment = TextAlign::Left;
    bool verticalCenter = false;
    bool showAccelChar = true; // false: an ampersand is shown as itself
    Cursor cursor = Cursor::Default;
};

class Label : public GraphicControl {
public:
    // For a right-aligned label that sizes itself, left + width is the right edge that stays.
    Label(ControlHost& parent, std::wstring name, Bounds bounds, const LabelOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::Label; }
    std::wstring Caption() const override { return caption_; }
    void SetCaption(std::wstring_view caption) override;

    bool AutoSize() const noexcept { return options_.autoSize; }
    void SetAutoSize(bool on) noexcept;
    TextAlign Alignment() const noexcept { return options_.alignment; }
    bool VerticalCenter() const noexcept { return options_.verticalCenter; }
    bool WordWrap() const noexcept { return options_.wordWrap; }

    void Paint(HDC dc) noexcept override;
    void FontChanged() noexcept override;

    // Every label is text a reader hears; one that acts on a click is a link.
    bool ReaderSees() const noexcept override { return true; }
    AccessibleRole Role() const noexcept override {
        return Focusable() ? AccessibleRole::Link : AccessibleRole::StaticText;
    }
    std::wstring AccessibleName() const override;

protected:
    // Around the text, just outside it.
    RECT FocusRect() const noexcept override;

private:
    UINT DrawFlags() const noexcept;
    void AdjustSize() noexcept;

    LabelOptions options_;
    std::wstring caption_;
    int textHeight_ = 0; // the height the text needs as drawn, while the label sizes itself
};

} // namespace vx::ui
