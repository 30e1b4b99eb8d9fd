// A font as a control carries it: a face, a character height, style flags, a
// colour and a character set, kept as a LOGFONT whose height is in layout
// pixels (at 96 dpi), so that 11 pixels are 8 points and 13 pixels 10 points
// whatever the display. The Windows font is made at the dpi of the window
// that shows it, when it is first needed and again after every change.
#pragma once

#include "core/Handles.h"
#include "toolkit/Color.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace vx::ui {

// How a layout describes a font of its own: face, character height in
// pixels at 96 dpi, style and colour.
struct LayoutFont {
    const wchar_t* face = L"Tahoma";
    int pixelHeight = 11;
    bool bold = false;
    Color color = Color::System(COLOR_WINDOWTEXT);
    bool underline = false;
};

// Pixels per logical inch of the screen (96 unless the user scaled the display).
int ScreenPixelsPerInch() noexcept;

class Font {
public:
    Font() noexcept;
    explicit Font(const LayoutFont& layout) noexcept;
    // Copies the description only; the Windows font, the dpi and the change handler stay with each object.
    Font(const Font& other) noexcept;
    Font& operator=(const Font& other) noexcept;

    std::wstring Name() const { return logFont_.lfFaceName; }
    void SetName(std::wstring_view face) noexcept;

    // Character height in layout pixels (positive); LOGFONT keeps it negated.
    int Height() const noexcept;
    void SetHeight(int pixels) noexcept;
    // Whole points (at 96 dpi, as the height).
    int Size() const noexcept;
    void SetSize(int points) noexcept;

    bool Bold() const noexcept { return logFont_.lfWeight >= FW_BOLD; }
    void SetBold(bool on) noexcept;
    bool Italic() const noexcept { return logFont_.lfItalic != 0; }
    void SetItalic(bool on) noexcept;
    bool Underline() const noexcept { return logFont_.lfUnderline != 0; }
    void SetUnderline(bool on) noexcept;
    bool StrikeOut() const noexcept { return logFont_.lfStrikeOut != 0; }
    void SetStrikeOut(bool on) noexcept;

    BYTE Charset() const noexcept { return logFont_.lfCharSet; }
    void SetCharset(BYTE charset) noexcept;

    Color TextColor() const noexcept { return color_; }
    void SetColor(Color color) noexcept;

    // The description, its height in layout pixels.
    const LOGFONTW& LogFont() const noexcept { return logFont_; }
    // Takes face, height (in layout pixels), style and character set from a Windows description; keeps the colour.
    void SetLogFont(const LOGFONTW& logFont) noexcept;

    // The dpi the Windows font is made for; set by the window that shows the
    // font and kept when a description is copied in. Announces nothing.
    int Dpi() const noexcept { return dpi_; }
    void SetDpi(int dpi) noexcept;
    // The description as the Windows font is made: its height at the font's dpi.
    LOGFONTW DeviceLogFont() const noexcept;
    // Takes everything from another font and announces the change.
    void Assign(const Font& other) noexcept;

    // The Windows font, made on first use after a change; null if Windows refuses it.
    HFONT Handle() const noexcept;

    // Runs after every change made through the setters (not after copying).
    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    // Copies another font's description without announcing it.
    void CopySilently(const Font& other) noexcept;

private:
    void Changed() noexcept;

    LOGFONTW logFont_{};
    Color color_ = Color::System(COLOR_WINDOWTEXT);
    int dpi_ = 96;
    mutable UniqueFont handle_;
    std::function<void()> onChange_;
};

// Whole points for a character height in pixels, and back, at a pixel density.
int PointsFromPixels(int pixels, int pixelsPerInch) noexcept;
int PixelsFromPoints(int points, int pixelsPerInch) noexcept;

} // namespace vx::ui
