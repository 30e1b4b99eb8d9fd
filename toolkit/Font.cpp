#include "toolkit/Font.h"

#include "core/Dpi.h"

namespace vx::ui {
namespace {

LOGFONTW DefaultLogFont() noexcept {
    LOGFONTW logFont{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont) == sizeof(logFont)) {
        // Windows made it for the system's dpi.
        logFont.lfHeight = DpiScale(SystemDpi()).ToLayout(logFont.lfHeight);
    } else {
        logFont.lfHeight = -11;
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(logFont.lfFaceName, L"Tahoma", LF_FACESIZE);
    }
    return logFont;
}

} // namespace

int ScreenPixelsPerInch() noexcept {
    return SystemDpi();
}

int PointsFromPixels(int pixels, int pixelsPerInch) noexcept {
    return MulDiv(pixels, 72, pixelsPerInch);
}

int PixelsFromPoints(int points, int pixelsPerInch) noexcept {
    return MulDiv(points, pixelsPerInch, 72);
}

Font::Font() noexcept : logFont_(DefaultLogFont()) {}

Font::Font(const LayoutFont& layout) noexcept : logFont_(DefaultLogFont()), color_(layout.color) {
    // Cut to the face name's room, as the C library's checked copies would do; those are missing from
    // the C library of Windows 2000 and XP.
    lstrcpynW(logFont_.lfFaceName, layout.face ? layout.face : L"", LF_FACESIZE);
    logFont_.lfHeight = -layout.pixelHeight;
    logFont_.lfWidth = 0;
    logFont_.lfWeight = layout.bold ? FW_BOLD : FW_NORMAL;
    logFont_.lfItalic = FALSE;
    logFont_.lfUnderline = layout.underline ? TRUE : FALSE;
    logFont_.lfStrikeOut = FALSE;
    logFont_.lfCharSet = DEFAULT_CHARSET;
}

Font::Font(const Font& other) noexcept : logFont_(other.logFont_), color_(other.color_) {}

Font& Font::operator=(const Font& other) noexcept {
    if (this != &other) Assign(other);
    return *this;
}

int Font::Height() const noexcept {
    return logFont_.lfHeight < 0 ? -logFont_.lfHeight : logFont_.lfHeight;
}

void Font::SetHeight(int pixels) noexcept {
    if (pixels <= 0 || -pixels == logFont_.lfHeight) return;
    logFont_.lfHeight = -pixels;
    Changed();
}

int Font::Size() const noexcept {
    return PointsFromPixels(Height(), kLayoutDpi);
}

void Font::SetSize(int points) noexcept {
    SetHeight(PixelsFromPoints(points, kLayoutDpi));
}

void Font::SetName(std::wstring_view face) noexcept {
    if (face == logFont_.lfFaceName) return;
    const std::size_t count = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    wmemcpy(logFont_.lfFaceName, face.data(), count);
    logFont_.lfFaceName[count] = L'\0';
    Changed();
}

void Font::SetBold(bool on) noexcept {
    const LONG weight = on ? FW_BOLD : FW_NORMAL;
    if (Bold() == on) return;
    logFont_.lfWeight = weight;
    Changed();
}

void Font::SetItalic(bool on) noexcept {
    if (Italic() == on) return;
    logFont_.lfItalic = on ? TRUE : FALSE;
    Changed();
}

void Font::SetUnderline(bool on) noexcept {
    if (Underline() == on) return;
    logFont_.lfUnderline = on ? TRUE : FALSE;
    Changed();
}

void Font::SetStrikeOut(bool on) noexcept {
    if (StrikeOut() == on) return;
    logFont_.lfStrikeOut = on ? TRUE : FALSE;
    Changed();
}

void Font::SetCharset(BYTE charset) noexcept {
    if (logFont_.lfCharSet == charset) return;
    logFont_.lfCharSet = charset;
    Changed();
}

void Font::SetColor(Color color) noexcept {
    if (color_ == color) return;
    color_ = color;
    Changed();
}

void Font::SetLogFont(const LOGFONTW& logFont) noexcept {
    logFont_ = logFont;
    logFont_.lfFaceName[LF_FACESIZE - 1] = L'\0';
    Changed();
}

void Font::Assign(const Font& other) noexcept {
    CopySilently(other);
    Changed();
}

void Font::CopySilently(const Font& other) noexcept {
    if (this == &other) return;
    logFont_ = other.logFont_;
    color_ = other.color_;
    handle_.reset();
}

void Font::SetDpi(int dpi) noexcept {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    handle_.reset();
}

LOGFONTW Font::DeviceLogFont() const noexcept {
    LOGFONTW device = logFont_;
    device.lfHeight = DpiScale(dpi_)(logFont_.lfHeight);
    return device;
}

HFONT Font::Handle() const noexcept {
    if (!handle_) {
        const LOGFONTW device = DeviceLogFont();
        handle_.reset(CreateFontIndirectW(&device));
    }
    return handle_.get();
}

void Font::Changed() noexcept {
    handle_.reset();
    if (!onChange_) return;
    try {
        onChange_();
    } catch (...) {
    }
}

} // namespace vx::ui
