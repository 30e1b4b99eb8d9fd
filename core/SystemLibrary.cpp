#include "core/SystemLibrary.h"

#include <utility>

namespace vx {

namespace {

FARPROC KernelFunction(const char* name) noexcept {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

std::wstring SystemFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length);
        length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    // Without the system folder there is no safe place to load from.
    if (length == 0 || length >= folder.size()) return {};
    folder.resize(length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

} // namespace

LibrarySearch RestrictLibrarySearch() noexcept {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD directoryFlags);
    using SetDllDirectoryFunction = BOOL(WINAPI*)(const wchar_t* folder);
    const auto setDefault = FunctionCast<SetDefaultDllDirectoriesFunction>(KernelFunction("SetDefaultDllDirectories"));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return LibrarySearch::SystemFolderOnly;
    // The program folder stays in the search here; only the current directory,
    // which a shortcut or another program chooses, can be taken out.
    const auto setFolder = FunctionCast<SetDllDirectoryFunction>(KernelFunction("SetDllDirectoryW"));
    if (setFolder && setFolder(L"")) return LibrarySearch::NoCurrentDirectory;
    return LibrarySearch::Unchanged;
}

void LoadLibrariesWindowsLoadsByName() noexcept {
    // The visual styles, and the blending that the common controls draw image
    // lists with: both are loaded on first need, by bare name, through a path
    // (delay loading) that not every Windows keeps to the restricted search.
    static SystemLibrary visualStyles(L"uxtheme.dll");
    static SystemLibrary blending(L"msimg32.dll");
    visualStyles.Module();
    blending.Module();
}

bool SystemFolderSearchAvailable() noexcept {
    // Windows documents this test for the LOAD_LIBRARY_SEARCH flags: they came
    // with AddDllDirectory.
    return KernelFunction("AddDllDirectory") != nullptr;
}

bool IsBareFileName(const std::wstring& fileName) noexcept {
    if (fileName.empty() || fileName == L"." || fileName == L"..") return false;
    return fileName.find_first_of(L"\\/:") == std::wstring::npos;
}

std::wstring SystemLibraryPath(const std::wstring& fileName) {
    if (!IsBareFileName(fileName)) return {};
    const std::wstring folder = SystemFolder();
    return folder.empty() ? std::wstring() : folder + fileName;
}

SystemLibrary::~SystemLibrary() {
    const UniqueModule owned(module_.load());
}

HMODULE SystemLibrary::Module() noexcept {
    if (const HMODULE loaded = module_.load()) return loaded;
    ++attempts_;
    UniqueModule fresh(Load());
    if (!fresh) return nullptr;
    HMODULE first = nullptr;
    // Another thread may have loaded it meanwhile: its copy is kept, this
    // reference is given back.
    if (!module_.compare_exchange_strong(first, fresh.get())) return first;
    ++loads_;
    return fresh.release();
}

HMODULE SystemLibrary::Load() const noexcept {
    try {
        if (!IsBareFileName(fileName_)) return nullptr;
        // Its own dependencies are looked up beside it first, in its folder.
        if (!folder_.empty())
            return LoadLibraryExW((folder_ + fileName_).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        // The limited search also keeps the library's own dependencies in the
        // system folder.
        if (SystemFolderSearchAvailable())
            return LoadLibraryExW(fileName_.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const std::wstring path = SystemLibraryPath(fileName_);
        if (path.empty()) return nullptr;
        return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } catch (...) {
        return nullptr;
    }
}

} // namespace vx
