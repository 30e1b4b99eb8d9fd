// What every named part of a window offers to the code that works over all of
// them: the caption tables (texts by component name) and the system font
// (fonts by component). Controls, menu items and non-visual parts all derive
// from Component.
#pragma once

#include "core/Dpi.h"

#include <string>
#include <string_view>

namespace vx::ui {

class Font;

enum class ComponentKind { Label, Panel, Button, MenuItem, Memo, Picture, ComboBox, Slider, ProgressBar, Line, Other };

class Component {
public:
    explicit Component(std::wstring name) : name_(std::move(name)) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::wstring& Name() const noexcept { return name_; }
    virtual ComponentKind Kind() const noexcept = 0;

    // Label, panel, button and menu item captions; a memo's content is its caption too.
    virtual std::wstring Caption() const { return {}; }
    virtual void SetCaption(std::wstring_view) {}

    // Fonts, as the window's font set-up walks them: a component that follows
    // its parent's font says so; one with a font of its own hands it out
    // (a control following its parent gets a copy of the parent's font here,
    // and changing that copy makes the font its own). Others have neither.
    virtual bool ParentFont() const noexcept { return false; }
    virtual Font* OwnFont() noexcept { return nullptr; }

    // The window now shows at another dpi: everything measured in pixels
    // follows, from the layout's own values. The window's components are told
    // in the order they were made, so that a host comes before what it holds.
    virtual void DpiChanged(DpiScale) noexcept {}

private:
    std::wstring name_;
};

// A window as the caption tables see it: its form name, its title and the
// components it owns, found by name ignoring the case of A to Z, at any depth.
class CaptionTarget {
public:
    virtual ~CaptionTarget() = default;
    virtual const std::wstring& Name() const noexcept = 0;
    virtual void SetTitle(std::wstring_view title) = 0;
    virtual std::wstring Title() const = 0;
    virtual Component* FindComponent(std::wstring_view name) const = 0;
};

} // namespace vx::ui
