// The common controls library (comctl32), loaded when the program first needs
// it rather than imported: Windows initialises an imported comctl32 before the
// program's first instruction, and what it loads then for the visual styles is
// looked up in the program's folder first. Loaded after RestrictLibrarySearch,
// it and everything it brings come from the system.
//
// Version 6 lives in Windows' side-by-side store, named by the program's
// manifest; where the manifest redirects "comctl32.dll" there, the library is
// loaded by that name (the redirection, not a folder search, finds it).
// Without a redirection (Windows 2000) the system folder's copy is loaded.
//
// Each call does nothing (returns zero or null) when the library is missing.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace vx {

// The loaded library, or null; loads it on the first call.
HMODULE CommonControlsModule() noexcept;

BOOL InitCommonControlClasses(DWORD classes) noexcept;

HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow) noexcept;
int AddToImageList(HIMAGELIST list, HBITMAP image, HBITMAP mask) noexcept;
int ImageListCount(HIMAGELIST list) noexcept;
BOOL DrawImageListImage(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) noexcept;
BOOL DestroyImageList(HIMAGELIST list) noexcept;

// Window subclassing. Taken by ordinal (410 to 413): every comctl32 since 5.8
// exports them so, not all by name.
BOOL SetControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) noexcept;
BOOL GetControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR* data) noexcept;
BOOL RemoveControlSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) noexcept;
// The next procedure in the window's chain (DefWindowProcW when the library is missing).
LRESULT DefaultSubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

} // namespace vx
