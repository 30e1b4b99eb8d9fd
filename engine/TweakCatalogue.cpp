#include "engine/TweakCatalogue.h"

namespace vx {
namespace {

using enum TweakCondition;
using enum TweakRestore;

// Key paths exactly as the program has always passed them to the registry layer;
// Internet Settings, Tcpip\Parameters and Psched carry no trailing backslash.
constexpr std::wstring_view kWindowMetrics = L"\\Control Panel\\Desktop\\WindowMetrics\\";
constexpr std::wstring_view kMemoryManagement =
    L"\\System\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\";
constexpr std::wstring_view kPriorityControl = L"\\System\\CurrentControlSet\\Control\\PriorityControl\\";
constexpr std::wstring_view kCrashControl = L"\\System\\CurrentControlSet\\Control\\CrashControl\\";
constexpr std::wstring_view kDesktop = L"\\Control Panel\\Desktop\\";
constexpr std::wstring_view kExplorerMain = L"\\Software\\Microsoft\\Internet Explorer\\Main\\";
constexpr std::wstring_view kAutoComplete = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete\\";
constexpr std::wstring_view kFileSystem = L"\\System\\CurrentControlSet\\Control\\FileSystem\\";
constexpr std::wstring_view kExplorerPolicies = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
constexpr std::wstring_view kWindowsNtWindows = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\";
constexpr std::wstring_view kMessenger = L"\\System\\CurrentControlSet\\Services\\Messenger\\";
constexpr std::wstring_view kInternetSettings = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr std::wstring_view kTcpipParameters = L"\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr std::wstring_view kSessionManager = L"\\System\\CurrentControlSet\\Control\\Session Manager\\";
constexpr std::wstring_view kPsched = L"\\Software\\Policies\\Microsoft\\Windows\\Psched";
constexpr std::wstring_view kBootOptimize = L"\\Software\\Microsoft\\Dfrg\\BootOptimizeFunction\\";
constexpr std::wstring_view kP3Parameters = L"\\System\\CurrentControlSet\\Services\\P3\\Parameters\\";

constexpr BYTE kFourZeroBytes[4] = {0, 0, 0, 0};

TweakValue Text(std::wstring_view text) {
    return {TweakKind::String, text, 0, {}, false};
}
TweakValue Number(std::int32_t number) {
    return {TweakKind::Integer, {}, number, {}, false};
}
TweakValue Bytes(std::span<const BYTE> bytes) {
    return {TweakKind::Binary, {}, 0, bytes, false};
}
TweakValue BySpeed() {
    return {TweakKind::Integer, {}, 0, {}, true};
}
constexpr std::nullopt_t kNoBackup = std::nullopt;

// The roots are pointer constants, so the table cannot be constexpr; it is built
// on first use, which also keeps it safe from the order of static initialisation.
const std::array<TweakEntry, kTweakCount>& Catalogue() {
    const HKEY kLM = HKEY_LOCAL_MACHINE;
    const HKEY kCU = HKEY_CURRENT_USER;
    // clang-format off
    static const std::array<TweakEntry, kTweakCount> catalogue = {{
        // #  root key path           value name                      tuned                  condition        backup default   restore  group
        { 1, kCU, kWindowMetrics,    L"MinAnimate",                  Text(L"1"),            Always,          Text(L"1"),      PutBack, 1},
        { 2, kLM, kMemoryManagement, L"DisablePagingExecutive",      Number(0),             Always,          Number(0),       PutBack, 1},
        { 3, kLM, kMemoryManagement, L"LargeSystemCache",            Number(0),             Always,          Number(0),       PutBack, 1},
        { 4, kLM, kPriorityControl,  L"Win32PrioritySeparation",     Number(1),             Always,          Number(2),       PutBack, 1},
        { 5, kLM, kCrashControl,     L"AutoReboot",                  Number(1),             Always,          Number(1),       PutBack, 1},
        { 6, kCU, kDesktop,          L"SmoothScroll",                Bytes(kFourZeroBytes), Always,          kNoBackup,       Delete,  0},
        { 7, kCU, kExplorerMain,     L"Use StyleSheets",             Text(L"Yes"),          Always,          kNoBackup,       Delete,  0},
        { 8, kCU, kAutoComplete,     L"Append Completion",           Text(L"Yes"),          Always,          kNoBackup,       Delete,  0},
        { 9, kLM, kFileSystem,       L"ContigFileAllocSize",         Number(1536),          Always,          kNoBackup,       Delete,  0},
        {10, kLM, kExplorerPolicies, L"LinkResolveIgnoreLinkInfo",   Number(0),             Always,          kNoBackup,       Delete,  0},
        {11, kLM, kExplorerPolicies, L"NoResolveSearch",             Number(1),             Always,          kNoBackup,       Delete,  0},
        {12, kLM, kMemoryManagement, L"IoPageLockLimit",             Number(4096),          Always,          kNoBackup,       Delete,  0},
        {13, kLM, kCrashControl,     L"SendAlert",                   Number(1),             Always,          kNoBackup,       Delete,  0},
        {14, kLM, kWindowsNtWindows, L"NoPopUpsOnBoot",              Number(1),             Always,          kNoBackup,       Delete,  0},
        {15, kLM, kWindowsNtWindows, L"Error Mode",                  Number(1),             Always,          kNoBackup,       Delete,  0},
        {16, kLM, kMessenger,        L"Start",                       Number(4),             Always,          kNoBackup,       Delete,  0},
        {17, kCU, kInternetSettings, L"MaxConnectionsPerServer",     BySpeed(),             Always,          Number(2),       PutBack, 2},
        {18, kCU, kInternetSettings, L"MaxConnectionsPer1_0Server",  BySpeed(),             Always,          Number(2),       PutBack, 2},
        {19, kLM, kTcpipParameters,  L"KeepAliveTime",               Number(7200000),       Always,          Number(7200000), PutBack, 3},
        {20, kLM, kTcpipParameters,  L"KeepAliveInterval",           Number(1000),          Always,          Number(1000),    PutBack, 3},
        {21, kLM, kSessionManager,   L"EnablePrefetcher",            Number(1),             NotWindows2000,  kNoBackup,       Delete,  0},
        {22, kLM, kTcpipParameters,  L"DefaultTTL",                  Number(64),            NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {23, kLM, kTcpipParameters,  L"EnablePMTUBHDetect",          Number(0),             NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {24, kLM, kTcpipParameters,  L"EnablePMTUDiscovery",         Number(1),             NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {25, kLM, kTcpipParameters,  L"SackOpts",                    Number(1),             NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {26, kLM, kTcpipParameters,  L"Tcp1323Opts",                 Number(3),             NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {27, kLM, kTcpipParameters,  L"GlobalMaxTcpWindowSize",      Number(256960),        NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {28, kLM, kTcpipParameters,  L"TcpWindowSize",               Number(256960),        NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {29, kLM, kTcpipParameters,  L"TcpMaxDupAcks",               Number(2),             NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {30, kLM, kPsched,           L"NonBestEffortLimit",          Number(50),            NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {31, kLM, kPsched,           L"MaxOutstandingSends",         Number(0xFFFF),        NotDialUpOrIsdn, kNoBackup,       Delete,  0},
        {32, kLM, kSessionManager,   L"AutoChkTimeOut",              Number(0),             ServerEdition,   kNoBackup,       Delete,  0},
        {33, kLM, kBootOptimize,     L"Enable",                      Text(L"Y"),            DesktopEdition,  kNoBackup,       Delete,  0},
        {34, kLM, kP3Parameters,     L"HackFlags",                   Number(1),             DesktopEdition,  kNoBackup,       Delete,  0},
    }};
    // clang-format on
    return catalogue;
}

bool IsOneOf(int value, std::initializer_list<int> set) {
    for (int member : set)
        if (member == value) return true;
    return false;
}

} // namespace

const std::array<TweakEntry, kTweakCount>& TweakCatalogue() noexcept {
    return Catalogue();
}

const TweakEntry& Tweak(int number) noexcept {
    const std::size_t index = number < 1 ? 0 : number > int(kTweakCount) ? kTweakCount - 1 : std::size_t(number - 1);
    return Catalogue()[index];
}

bool ConditionHolds(TweakCondition condition, int versionCode, int internetType) noexcept {
    switch (condition) {
    case Always:
        return true;
    case NotWindows2000:
        return versionCode != 0;
    case NotDialUpOrIsdn:
        return internetType != 2 && internetType != 7;
    case ServerEdition:
        return IsOneOf(versionCode, {0, 2, 4, 7});
    case DesktopEdition:
        return IsOneOf(versionCode, {1, 3, 5, 6, 8});
    }
    return false;
}

std::int32_t ConnectionLimitForSpeed(int speedSetting) noexcept {
    return speedSetting <= 0 ? 4 : 8;
}

std::int32_t TunedNumber(const TweakEntry& entry, int speedSetting) noexcept {
    return entry.tuned.fromSpeedSetting ? ConnectionLimitForSpeed(speedSetting) : entry.tuned.number;
}

} // namespace vx
