// What the main window's three lists stand for, and the detection of the
// running Windows edition and processor maker that pre-selects two of them.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>

namespace vx {

// Version codes: 0 Windows 2000, 1 XP, 2 Server 2003, 3 Vista, 4 Server 2008,
// 5 Windows 7, 6 Windows 8, 7 Server 2012, 8 Windows 10; -1 none of these.
inline constexpr int kUnknownWindowsVersion = -1;

// Pictures of the WindowsCombo image list.
inline constexpr int kDesktopImage = 0;
inline constexpr int kServerImage = 1;

struct WindowsItem {
    int versionCode;
    std::wstring_view text;
    int image;
};

// The WindowsCombo items in list order: the array index is the item index.
inline constexpr std::array<WindowsItem, 9> kWindowsItems = {{
    {8, L"  Microsoft \u00AE Windows 10", kDesktopImage},
    {6, L"  Microsoft \u00AE Windows 8", kDesktopImage},
    {5, L"  Microsoft \u00AE Windows 7", kDesktopImage},
    {3, L"  Microsoft \u00AE Windows Vista", kDesktopImage},
    {1, L"  Microsoft \u00AE Windows XP", kDesktopImage},
    {7, L"  Microsoft \u00AE Windows Server 2012", kServerImage},
    {4, L"  Microsoft \u00AE Windows Server 2008", kServerImage},
    {2, L"  Microsoft \u00AE Windows Server 2003", kServerImage},
    {0, L"  Microsoft \u00AE Windows Server 2000", kServerImage},
}};

struct ListItem {
    int number; // the item index, which is also the number stored for it
    std::wstring_view text;
};

// ProcessorCombo: the processor maker index.
inline constexpr std::array<ListItem, 3> kProcessorItems = {{
    {0, L"  Intel \u00AE Processor"},
    {1, L"  AMD \u00AE Processor"},
    {2, L"  VIA \u00AE Processor"},
}};

// ModemCombo: the internet type (2 dial-up and 7 ISDN skip the TCP/IP tuning).
inline constexpr std::array<ListItem, 9> kInternetItems = {{
    {0, L"  Cable | DSL | Wi-Fi"},
    {1, L"  Verizon FiOS | Wi-Fi"},
    {2, L"  Dial-up 56k"},
    {3, L"  Satellite"},
    {4, L"  Android | iPhone | Windows Phone | BlackBerry"},
    {5, L"  LTE | 4G | 3G | 2G | Edge Modem"},
    {6, L"  Local Area Network"},
    {7, L"  ISDN"},
    {8, L"  T1 | T3 | OC3 | OC12+"},
}};

// The version code of a Windows release. productType is wProductType:
// 1 workstation, 2 domain controller, 3 server (2 or more counts as a server),
// 0 when only the basic version record could be had.
int ClassifyWindowsVersion(DWORD majorVersion, DWORD minorVersion, BYTE productType) noexcept;

// The version code of the running Windows; -1 on any failure.
int DetectWindowsVersion() noexcept;
// The same with another version query (a seam for tests).
using GetVersionFunction = BOOL(WINAPI*)(OSVERSIONINFOW*);
int DetectWindowsVersionWith(GetVersionFunction getVersion) noexcept;

// The WindowsCombo item pre-selected for a version code; item 0 for -1 and
// every code outside 0 to 8.
int WindowsItemForVersion(int versionCode) noexcept;
// The version code of a WindowsCombo item index; -1 for anything but 0 to 8.
int ConvertWindowsVersion(int WinVer) noexcept;

// The processor maker index of a processor name: "intel" before "amd" before
// "via", in any letter case; 0 when none of them occurs.
int ClassifyProcessorName(std::wstring_view processorName) noexcept;
// The maker of the machine's first processor, from its name in the registry.
int DetectProcessorMaker() noexcept;

// What the stored "ProcessorType" reads when the optimise run never stored one.
inline constexpr int kProcessorNotStored = -1;
// The ProcessorCombo item pre-selected at start from the stored "ProcessorType":
// the detected maker when none is stored, otherwise the stored number unchanged
// (one outside 0 to 2 leaves the list without a selection). Only detects when needed.
int PreselectedProcessorItem(int storedProcessorType) noexcept;

inline constexpr wchar_t kProcessorKey[] = L"\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\";
inline constexpr wchar_t kProcessorNameValue[] = L"ProcessorNameString";

} // namespace vx
