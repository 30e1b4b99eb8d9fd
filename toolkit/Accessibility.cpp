#include "toolkit/Accessibility.h"

#include "core/SystemLibrary.h"

#include <oleacc.h>

#include <algorithm>
#include <atomic>

namespace vx::ui {
namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}
constexpr GUID kAccessibleId{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

using CreateStdAccessibleObjectFunction = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);

SystemLibrary& Oleacc() noexcept {
    static SystemLibrary library(L"oleacc.dll");
    return library;
}

bool IsSelf(const VARIANT& child) noexcept {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard object of a window, with the name the window gives and a role of its own.
// COM interfaces have no virtual destructor: the object ends itself in Release.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class WrappedAccessible final : public IAccessible {
public:
    WrappedAccessible(IAccessible* inner, HWND window, AccessibleRole role, long extraState) noexcept
        : inner_(inner), window_(window), role_(role), extraState_(extraState) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (id == IID_IUnknown || id == IID_IDispatch || id == kAccessibleId) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            inner_->Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return inner_->Invoke(member, id, locale, flags, parameters, result, exception, argument);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return inner_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return inner_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        if (IsSelf(child) && IsWindow(window_)) {
            wchar_t buffer[1024];
            const LRESULT length = SendMessageW(window_, AccessibleNameMessage(), std::size(buffer),
                                                reinterpret_cast<LPARAM>(buffer));
            if (length > 0) {
                *name = SysAllocStringLen(buffer, static_cast<UINT>(length - 1));
                return *name ? S_OK : E_OUTOFMEMORY;
            }
        }
        return inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        if (IsSelf(child) && role_ != AccessibleRole::Keep) {
            VariantInit(role);
            role->vt = VT_I4;
            role->lVal = static_cast<long>(role_);
            return S_OK;
        }
        return inner_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = inner_->get_accState(child, state);
        if (SUCCEEDED(result) && state && state->vt == VT_I4 && IsSelf(child)) state->lVal |= extraState_;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return inner_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return inner_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return inner_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return inner_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return inner_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

private:
    ~WrappedAccessible() = default;

    IAccessible* inner_;
    HWND window_;
    AccessibleRole role_;
    long extraState_;
    std::atomic<ULONG> references_{1};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

} // namespace

std::wstring AccessibleText(std::wstring_view caption, bool accessKeys) {
    std::wstring text;
    text.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (accessKeys && caption[i] == L'&') {
            if (i + 1 < caption.size() && caption[i + 1] == L'&') text += caption[++i];
            continue;
        }
        text += caption[i];
    }
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    if (!text.empty() && text.back() == L':') text.pop_back();
    while (!text.empty() && blank(text.back())) text.pop_back();
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    text.erase(text.begin(), first);
    return text;
}

UINT AccessibleNameMessage() noexcept {
    static const UINT message = RegisterWindowMessageW(L"VelantrixAccessibleName");
    return message;
}

LRESULT AnswerAccessibleName(WPARAM size, LPARAM buffer, const std::wstring& name) noexcept {
    auto* target = reinterpret_cast<wchar_t*>(buffer);
    if (!target || size == 0) return 0;
    const size_t length = std::min<size_t>(name.size(), size - 1);
    std::copy_n(name.data(), length, target);
    target[length] = L'\0';
    return static_cast<LRESULT>(length + 1);
}

LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, AccessibleRole role, long extraState) noexcept {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    auto* create = Oleacc().Find<CreateStdAccessibleObjectFunction>("CreateStdAccessibleObject");
    auto* answer = Oleacc().Find<LresultFromObjectFunction>("LresultFromObject");
    if (!create || !answer) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(create(window, OBJID_CLIENT, kAccessibleId, reinterpret_cast<void**>(&standard))) || !standard)
        return 0;
    WrappedAccessible* wrapped = nullptr;
    try {
        wrapped = new WrappedAccessible(standard, window, role, extraState);
    } catch (...) {
        standard->Release();
        return 0;
    }
    const LRESULT result = answer(kAccessibleId, flags, wrapped);
    wrapped->Release();
    return result > 0 ? result : 0;
}

void AnnounceNameChange(HWND window) noexcept {
    if (window) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace vx::ui
