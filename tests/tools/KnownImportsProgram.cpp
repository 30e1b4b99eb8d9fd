// A program that imports the same Windows libraries as Velantrix.exe, carries
// its manifest, and runs
// no code of its own: the planting tests start it to learn which
// libraries the platform itself loads by name while it resolves those imports,
// before any program could restrict where libraries come from.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Never true; the calls keep one import from each library.
    if (GetCurrentProcessId() == 0) {
        RegCloseKey(nullptr);
        GetStockObject(WHITE_BRUSH);
        GetDesktopWindow();
        DragFinish(nullptr);
        CoUninitialize();
        SysFreeString(nullptr);
    }
    return 0;
}
