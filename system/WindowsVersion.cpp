#include "system/WindowsVersion.h"

#include "core/CustomRegistry.h"
#include "core/Text.h"

#include <cstring>

namespace vx {
namespace {

// The full record (284 bytes) and the basic one (276 bytes) that Windows
// before NT 4.0 SP6 understands.
constexpr DWORD kExtendedRecordSize = sizeof(OSVERSIONINFOEXW);
constexpr DWORD kBasicRecordSize = sizeof(OSVERSIONINFOW);
static_assert(kExtendedRecordSize == 284 && kBasicRecordSize == 276);

constexpr BYTE kWorkstation = VER_NT_WORKSTATION; // 1

// Windows 6.x by minor version: the code for a workstation and for a server.
struct Release6 {
    DWORD minor;
    int workstation;
    int server;
};
constexpr Release6 kReleases6[] = {
    {0, 3, 4}, // Vista, Server 2008
    {1, 5, 4}, // 7, Server 2008 R2
    {2, 6, 7}, // 8, Server 2012
    {3, 6, 7}, // 8.1, Server 2012 R2
};

int Classify5(DWORD minor, BYTE productType) {
    switch (minor) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2: // XP x64 is a 5.2 workstation
        if (productType == 0) return kUnknownWindowsVersion;
        return productType == kWorkstation ? 1 : 2;
    default:
        return kUnknownWindowsVersion;
    }
}

int Classify6(DWORD minor, BYTE productType) {
    if (productType == 0) return kUnknownWindowsVersion;
    for (const Release6& release : kReleases6)
        if (release.minor == minor) return productType == kWorkstation ? release.workstation : release.server;
    return kUnknownWindowsVersion;
}

} // namespace

int ClassifyWindowsVersion(DWORD majorVersion, DWORD minorVersion, BYTE productType) noexcept {
    switch (majorVersion) {
    case 5:
        return Classify5(minorVersion, productType);
    case 6:
        return Classify6(minorVersion, productType);
    case 10:
        return 8; // every 10.x, server or not
    default:
        return kUnknownWindowsVersion;
    }
}

int DetectWindowsVersionWith(GetVersionFunction getVersion) noexcept {
    try {
        OSVERSIONINFOEXW record;
        std::memset(&record, 0, sizeof(record));
        record.dwOSVersionInfoSize = kExtendedRecordSize;
        if (!getVersion(reinterpret_cast<OSVERSIONINFOW*>(&record))) {
            // The whole record is cleared, not only the basic part, so that the
            // product type surely reads 0 whatever the failed call left behind.
            std::memset(&record, 0, sizeof(record));
            record.dwOSVersionInfoSize = kBasicRecordSize;
            getVersion(reinterpret_cast<OSVERSIONINFOW*>(&record));
        }
        return ClassifyWindowsVersion(record.dwMajorVersion, record.dwMinorVersion, record.wProductType);
    } catch (...) {
        return kUnknownWindowsVersion;
    }
}

int DetectWindowsVersion() noexcept {
    return DetectWindowsVersionWith(&GetVersionExW);
}

int WindowsItemForVersion(int versionCode) noexcept {
    for (std::size_t item = 0; item < kWindowsItems.size(); ++item)
        if (kWindowsItems[item].versionCode == versionCode) return static_cast<int>(item);
    return 0;
}

int ConvertWindowsVersion(int WinVer) noexcept {
    if (WinVer < 0 || WinVer >= static_cast<int>(kWindowsItems.size())) return kUnknownWindowsVersion;
    return kWindowsItems[static_cast<std::size_t>(WinVer)].versionCode;
}

int ClassifyProcessorName(std::wstring_view processorName) noexcept {
    try {
        const std::wstring name = LowerAscii(processorName);
        if (name.find(L"intel") != std::wstring::npos) return 0;
        if (name.find(L"amd") != std::wstring::npos) return 1;
        if (name.find(L"via") != std::wstring::npos) return 2;
        return 0;
    } catch (...) {
        return 0;
    }
}

int DetectProcessorMaker() noexcept {
    return ClassifyProcessorName(ReadRegString(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, L"", false));
}

int PreselectedProcessorItem(int storedProcessorType) noexcept {
    return storedProcessorType == kProcessorNotStored ? DetectProcessorMaker() : storedProcessorType;
}

} // namespace vx
