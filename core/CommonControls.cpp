#include "core/CommonControls.h"

#include "core/SystemLibrary.h"

namespace vx {

namespace {

constexpr wchar_t kLibraryName[] = L"comctl32.dll";
constexpr WORD kSetWindowSubclassOrdinal = 410;
constexpr WORD kGetWindowSubclassOrdinal = 411;
constexpr WORD kRemoveWindowSubclassOrdinal = 412;
constexpr WORD kDefSubclassProcOrdinal = 413;

struct CommonControlsCalls {
    decltype(&::InitCommonControlsEx) initCommonControlsEx = nullptr;
    decltype(&::ImageList_Create) imageListCreate = nullptr;
    decltype(&::ImageList_Add) imageListAdd = nullptr;
    decltype(&::ImageList_GetImageCount) imageListGetImageCount = nullptr;
    decltype(&::ImageList_Draw) imageListDraw = nullptr;
    decltype(&::ImageList_Destroy) imageListDestroy = nullptr;
    decltype(&::SetWindowSubclass) setWindowSubclass = nullptr;
    decltype(&::GetWindowSubclass) getWindowSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeWindowSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclassProc = nullptr;
};

// Whether the process's manifest sends loads of the name to a side-by-side
// assembly. The call is looked up, as Windows 2000 lacks it.
bool RedirectedBySideBySide(const wchar_t* name) noexcept {
    using FindSectionFunction = BOOL(WINAPI*)(DWORD flags, const GUID* extension, ULONG section, const wchar_t* key,
                                              ACTCTX_SECTION_KEYED_DATA* data);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto findSection =
        kernel ? FunctionCast<FindSectionFunction>(GetProcAddress(kernel, "FindActCtxSectionStringW")) : nullptr;
    if (!findSection) return false;
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    return findSection(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name, &data) != FALSE;
}

HMODULE LoadCommonControls() noexcept {
    if (RedirectedBySideBySide(kLibraryName)) {
        // A plain load, as Windows documents for side-by-side libraries: the
        // redirection comes first, and where the search is restricted (see
        // RestrictLibrarySearch) nothing else but the system folder follows.
        if (const HMODULE module = LoadLibraryExW(kLibraryName, nullptr, 0)) return module;
    }
    static SystemLibrary systemCopy(kLibraryName);
    return systemCopy.Module();
}

} // namespace

HMODULE CommonControlsModule() noexcept {
    static const HMODULE module = LoadCommonControls();
    return module;
}

namespace {

template <typename Function> Function Take(HMODULE module, const char* name) noexcept {
    return module ? FunctionCast<Function>(GetProcAddress(module, name)) : nullptr;
}

CommonControlsCalls LoadCalls() noexcept {
    CommonControlsCalls calls;
    const HMODULE module = CommonControlsModule();
    if (!module) return calls;
    calls.initCommonControlsEx = Take<decltype(calls.initCommonControlsEx)>(module, "InitCommonControlsEx");
    calls.imageListCreate = Take<decltype(calls.imageListCreate)>(module, "ImageList_Create");
    calls.imageListAdd = Take<decltype(calls.imageListAdd)>(module, "ImageList_Add");
    calls.imageListGetImageCount = Take<decltype(calls.imageListGetImageCount)>(module, "ImageList_GetImageCount");
    calls.imageListDraw = Take<decltype(calls.imageListDraw)>(module, "ImageList_Draw");
    calls.imageListDestroy = Take<decltype(calls.imageListDestroy)>(module, "ImageList_Destroy");
    const auto byOrdinal = [](WORD ordinal) { return reinterpret_cast<const char*>(static_cast<ULONG_PTR>(ordinal)); };
    calls.setWindowSubclass = Take<decltype(calls.setWindowSubclass)>(module, byOrdinal(kSetWindowSubclassOrdinal));
    calls.getWindowSubclass = Take<decltype(calls.getWindowSubclass)>(module, byOrdinal(kGetWindowSubclassOrdinal));
    calls.removeWindowSubclass =
        Take<decltype(calls.removeWindowSubclass)>(module, byOrdinal(kRemoveWindowSubclassOrdinal));
    calls.defSubclassProc = Take<decltype(calls.defSubclassProc)>(module, byOrdinal(kDefSubclassProcOrdinal));
    return calls;
}

// Loaded once: the subclass calls run for every message of every control.
const CommonControlsCalls& Calls() noexcept {
    static const CommonControlsCalls calls = LoadCalls();
    return calls;
}

} // namespace

BOOL InitCommonControlClasses(DWORD classes) noexcept {
    const INITCOMMONCONTROLSEX controls{sizeof(controls), classes};
    return Calls().initCommonControlsEx ? Calls().initCommonControlsEx(&controls) : FALSE;
}

HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow) noexcept {
    return Calls().imageListCreate ? Calls().imageListCreate(width, height, flags, initial, grow) : nullptr;
}

int AddToImageList(HIMAGELIST list, HBITMAP image, HBITMAP mask) noexcept {
    return Calls().imageListAdd ? Calls().imageListAdd(list, image, mask) : -1;
}

int ImageListCount(HIMAGELIST list) noexcept {
    return Calls().imageListGetImageCount ? Calls().imageListGetImageCount(list) : 0;
}

BOOL DrawImageListImage(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) noexcept {
    return Calls().imageListDraw ? Calls().imageListDraw(list, index, dc, x, y, style) : FALSE;
}

BOOL DestroyImageList(HIMAGELIST list) noexcept {
    return Calls().imageListDestroy ? Calls().imageListDestroy(list) : FALSE;
}

BOOL SetControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) noexcept {
    return Calls().setWindowSubclass ? Calls().setWindowSubclass(window, procedure, id, data) : FALSE;
}

BOOL GetControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR* data) noexcept {
    return Calls().getWindowSubclass ? Calls().getWindowSubclass(window, procedure, id, data) : FALSE;
}

BOOL RemoveControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) noexcept {
    return Calls().removeWindowSubclass ? Calls().removeWindowSubclass(window, procedure, id) : FALSE;
}

LRESULT DefaultSubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Calls().defSubclassProc ? Calls().defSubclassProc(window, message, wParam, lParam)
                                   : DefWindowProcW(window, message, wParam, lParam);
}

} // namespace vx
