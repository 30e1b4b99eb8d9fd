#include "toolkit/Panel.h"

namespace vx::ui {
namespace {

constexpr wchar_t kPanelClass[] = L"TVXPanel";

bool RegisterPanelClass() noexcept {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kPanelClass, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    // The panel's own handling comes from the control's subclass.
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPanelClass;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace

Panel::Panel(ControlHost& parent, std::wstring name, Bounds bounds, const PanelOptions& options)
    : WinControl(parent, std::move(name), bounds), color_(options.color) {
    SetTabOrder(options.tabOrder);
    SetCursor(options.cursor);
    if (options.font) Font().Assign(ui::Font(*options.font));
}

Panel::~Panel() = default;

void Panel::SetCaption(std::wstring_view caption) {
    SetText(caption);
    Invalidate();
}

void Panel::SetBackgroundColor(Color color) noexcept {
    color_ = color;
    Invalidate();
    for (Control* child : Children()) child->Invalidate();
}

void Panel::CreateHandle() noexcept {
    if (!RegisterPanelClass()) return;
    WinControl::CreateHandle();
    if (Handle()) CreateChildHandles();
}

void Panel::FontChanged() noexcept {
    WinControl::FontChanged();
    Invalidate();
}

WinControl::WindowClass Panel::Class() const noexcept {
    return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
}

LRESULT Panel::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    bool handled = false;
    const LRESULT result = HostMessage(message, wParam, lParam, handled);
    if (handled) return result;
    return WinControl::ControlMessage(message, wParam, lParam);
}

void Panel::PaintBackground(HDC dc, const RECT& client) noexcept {
    ControlHost::PaintBackground(dc, client);
    const std::wstring& caption = Text();
    if (caption.empty()) return;
    const SelectedObject font(dc, EffectiveFont().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, EffectiveFont().TextColor().Value());
    RECT area = client;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace vx::ui
