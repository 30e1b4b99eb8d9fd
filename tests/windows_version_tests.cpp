// System detection: the version classification and its list mapping, the
// detection itself in child processes that Wine shows other Windows versions,
// and the processor maker from the real registry.
#include "core/CustomRegistry.h"
#include "system/WindowsVersion.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>

namespace vx {
namespace {

using namespace std::chrono_literals;

TEST(WindowsVersionTest, ClassifiesEveryRowOfTheVersionTable) {
    struct Row {
        DWORD major, minor;
        int workstation, server, basicRecord; // product type 1, 2 or more, 0
    };
    const Row rows[] = {
        {5, 0, 0, 0, 0},    {5, 1, 1, 1, 1},    {5, 2, 1, 2, -1},    {6, 0, 3, 4, -1},   {6, 1, 5, 4, -1},
        {6, 2, 6, 7, -1},   {6, 3, 6, 7, -1},   {6, 4, -1, -1, -1},  {6, 9, -1, -1, -1}, {10, 0, 8, 8, 8},
        {10, 7, 8, 8, 8},   {4, 0, -1, -1, -1}, {3, 51, -1, -1, -1}, {7, 0, -1, -1, -1}, {11, 0, -1, -1, -1},
        {0, 0, -1, -1, -1}, {5, 3, -1, -1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.major << "." << row.minor);
        EXPECT_EQ(ClassifyWindowsVersion(row.major, row.minor, 1), row.workstation);
        for (BYTE server : {BYTE(2), BYTE(3), BYTE(255)})
            EXPECT_EQ(ClassifyWindowsVersion(row.major, row.minor, server), row.server);
        EXPECT_EQ(ClassifyWindowsVersion(row.major, row.minor, 0), row.basicRecord);
    }
}

TEST(WindowsVersionTest, PreSelectionAndConversionAreExactInverses) {
    // Version code -> item, from the list order Windows 10 ... Server 2000.
    const int itemOfCode[9] = {8, 4, 7, 3, 6, 2, 1, 5, 0};
    for (int code = 0; code <= 8; ++code) {
        EXPECT_EQ(WindowsItemForVersion(code), itemOfCode[code]) << code;
        EXPECT_EQ(ConvertWindowsVersion(WindowsItemForVersion(code)), code) << code;
    }
    for (int item = 0; item <= 8; ++item) EXPECT_EQ(WindowsItemForVersion(ConvertWindowsVersion(item)), item);
    for (int outside : {-1, 9, -100, 100, INT_MIN, INT_MAX}) {
        EXPECT_EQ(WindowsItemForVersion(outside), 0) << outside;
        EXPECT_EQ(ConvertWindowsVersion(outside), -1) << outside;
    }
    // From version record to pre-selected item, for the releases users ask about.
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(5, 2, 1)), 4);
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(5, 2, 3)), 7);
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(6, 1, 3)), 6);
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(6, 3, 1)), 1);
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(10, 0, 3)), 0);
    EXPECT_EQ(WindowsItemForVersion(ClassifyWindowsVersion(6, 4, 1)), 0);
}

TEST(WindowsVersionTest, ListItemsCarryTheirExactTexts) {
    EXPECT_EQ(kWindowsItems[0].text, L"  Microsoft \u00AE Windows 10");
    EXPECT_EQ(kWindowsItems[8].text, L"  Microsoft \u00AE Windows Server 2000");
    EXPECT_EQ(kProcessorItems[1].text, L"  AMD \u00AE Processor");
    EXPECT_EQ(kInternetItems[4].text, L"  Android | iPhone | Windows Phone | BlackBerry");
    for (std::size_t item = 0; item < kWindowsItems.size(); ++item) {
        const bool server = kWindowsItems[item].text.find(L"Server") != std::wstring_view::npos;
        EXPECT_EQ(kWindowsItems[item].image, server ? 1 : 0) << item;
        EXPECT_TRUE(kWindowsItems[item].text.starts_with(L"  Microsoft \u00AE Windows ")) << item;
    }
    for (std::size_t i = 0; i < kInternetItems.size(); ++i) {
        EXPECT_EQ(kInternetItems[i].number, static_cast<int>(i));
        EXPECT_TRUE(kInternetItems[i].text.starts_with(L"  ") && kInternetItems[i].text[2] != L' ');
    }
    EXPECT_EQ(kInternetItems[2].text, L"  Dial-up 56k");
    EXPECT_EQ(kInternetItems[7].text, L"  ISDN");
}

// A stand-in for GetVersionExW: refuses the full record, fills the basic one.
struct FakeVersion {
    static inline int calls = 0;
    static inline DWORD sizes[2] = {};
    static inline bool recordWasClear = true;
    static inline bool basicSucceeds = true;
    static inline DWORD major = 5, minor = 1;

    static BOOL WINAPI Query(OSVERSIONINFOW* record) {
        if (calls < 2) sizes[calls] = record->dwOSVersionInfoSize;
        ++calls;
        if (record->dwMajorVersion != 0 || record->szCSDVersion[0] != 0) recordWasClear = false;
        if (record->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
            // A failing call that scribbles over the record, product type included.
            auto* extended = reinterpret_cast<OSVERSIONINFOEXW*>(record);
            extended->dwMajorVersion = 6;
            extended->wProductType = 3;
            return FALSE;
        }
        if (!basicSucceeds) return FALSE;
        record->dwMajorVersion = major;
        record->dwMinorVersion = minor;
        return TRUE;
    }
    static void Reset(DWORD majorVersion, DWORD minorVersion, bool basic) {
        calls = 0;
        sizes[0] = sizes[1] = 0;
        recordWasClear = true;
        basicSucceeds = basic;
        major = majorVersion;
        minor = minorVersion;
    }
};

TEST(WindowsVersionTest, DetectionRetriesWithTheBasicRecordWhereProductTypeReadsZero) {
    const std::tuple<DWORD, DWORD, int> cases[] = {{5, 0, 0}, {5, 1, 1}, {5, 2, -1}, {6, 1, -1}, {10, 0, 8}};
    for (auto [major, minor, code] : cases) {
        SCOPED_TRACE(testing::Message() << major << "." << minor);
        FakeVersion::Reset(major, minor, true);
        EXPECT_EQ(DetectWindowsVersionWith(&FakeVersion::Query), code);
        EXPECT_EQ(FakeVersion::calls, 2);
        EXPECT_EQ(FakeVersion::sizes[0], 284u);
        EXPECT_EQ(FakeVersion::sizes[1], 276u);
        EXPECT_TRUE(FakeVersion::recordWasClear);
    }
    FakeVersion::Reset(5, 1, false); // both calls fail: the record stays empty
    EXPECT_EQ(DetectWindowsVersionWith(&FakeVersion::Query), -1);
}

// --- The real query, in child processes that Wine shows another Windows ---

constexpr wchar_t kResultKey[] = L"\\Software\\TOLVEN\\VelantrixTest\\WindowsVersion\\";
constexpr wchar_t kChildName[] = L"vxversion.exe";

// The program's own manifest lists Windows 8.1 and 10, so that the query
// reports them truly; the child gets the same list from a manifest file.
constexpr char kChildManifest[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="TOLVEN.VelantrixVersionTest" version="1.0.0.0" processorArchitecture="x86"/>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
</assembly>
)";

// Runs only inside the child: records what the detection found.
TEST(WindowsVersionChild, RecordsTheDetectedVersion) {
    if (!std::getenv("VX_WINDOWS_VERSION_CHILD")) GTEST_SKIP() << "runs only in a child process";
    WriteRegInteger(HKEY_CURRENT_USER, kResultKey, L"Detected", DetectWindowsVersion(), false);
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST(WindowsVersionTest, DetectsTheVersionWineReports) {
    if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine's per-program Windows version";
    test::TemporaryFolder folder;
    const std::wstring child = folder.Path() + kChildName;
    ASSERT_TRUE(test::CopyFileTo(test::TestFolder() + L"windows_version_tests.exe", child));
    {
        std::ofstream manifest((child + L".manifest").c_str(), std::ios::binary);
        manifest << kChildManifest;
    }
    const std::wstring appDefaults = std::wstring(L"\\Software\\Wine\\AppDefaults\\") + kChildName + L"\\";
    SetEnvironmentVariableW(L"VX_WINDOWS_VERSION_CHILD", L"1");
    // Wine 8's win7 and win2008r2 settings report each other's product type, so they are left out.
    const std::pair<const wchar_t*, int> cases[] = {{L"win2k", 0},   {L"winxp", 1}, {L"win2003", 2}, {L"vista", 3},
                                                    {L"win2008", 4}, {L"win8", 6},  {L"win81", 6},   {L"win10", 8}};
    for (auto [wineVersion, code] : cases) {
        SCOPED_TRACE(testing::Message() << wineVersion);
        WriteRegString(HKEY_CURRENT_USER, appDefaults, L"Version", wineVersion, false);
        DeleteRegValue(HKEY_CURRENT_USER, kResultKey, L"Detected", false);
        test::Process process(child, L"--gtest_filter=WindowsVersionChild.*");
        ASSERT_TRUE(process.Started());
        EXPECT_EQ(process.WaitForExit(60s), std::optional<DWORD>(0));
        EXPECT_EQ(ReadRegInteger(HKEY_CURRENT_USER, kResultKey, L"Detected", -99, false), code);
    }
    SetEnvironmentVariableW(L"VX_WINDOWS_VERSION_CHILD", nullptr);
    test::DeleteKeyTree(HKEY_CURRENT_USER, appDefaults);
    test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest");
}

// --- Processor maker ---

TEST(ProcessorMakerTest, NamesAreTestedForIntelThenAmdThenVia) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", 0},
        {L"GenuineINTEL", 0},
        {L"AMD Ryzen 7 5800X 8-Core Processor", 1},
        {L"amd athlon", 1},
        {L"VIA Nano U3500", 2},
        {L"Via C7", 2},
        {L"intel and amd", 0},
        {L"AMD, formerly with VIA", 1},
        {L"an Intel-compatible VIA", 0},
        {L"Hygon C86 3185", 0},
        {L"", 0},
        {L"  ", 0},
    };
    for (auto [name, maker] : cases) EXPECT_EQ(ClassifyProcessorName(name), maker) << testing::PrintToString(name);
}

TEST(ProcessorMakerTest, DetectionReadsTheFirstProcessorsNameFromTheRegistry) {
    const auto saved = ReadRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false);
    const std::pair<const wchar_t*, int> cases[] = {
        {L"AuthenticAMD aMd EPYC", 1}, {L"VIA Eden", 2}, {L"Intel Xeon", 0}, {L"Loongson", 0}};
    for (auto [name, maker] : cases) {
        WriteRegString(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, name, false);
        EXPECT_EQ(DetectProcessorMaker(), maker) << testing::PrintToString(name);
    }
    WriteRegInteger(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, 1, false);
    EXPECT_EQ(DetectProcessorMaker(), 0); // not text
    DeleteRegValue(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false);
    EXPECT_EQ(DetectProcessorMaker(), 0); // missing

    if (saved) WriteRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, *saved, false);
    EXPECT_EQ(ReadRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false), saved);
}

TEST(ProcessorMakerTest, StoredChoiceIsPreSelectedAndOnlyAMissingOneIsDetected) {
    const auto saved = ReadRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false);
    WriteRegString(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, L"VIA Nano", false);
    EXPECT_EQ(PreselectedProcessorItem(kProcessorNotStored), 2); // detected
    EXPECT_EQ(PreselectedProcessorItem(1), 1);                   // stored: the name is not consulted
    EXPECT_EQ(PreselectedProcessorItem(0), 0);
    EXPECT_EQ(PreselectedProcessorItem(5), 5); // passed on unchanged; the list then shows nothing
    EXPECT_EQ(PreselectedProcessorItem(-2), -2);

    if (saved) WriteRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, *saved, false);
    else DeleteRegValue(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false);
}

} // namespace
} // namespace vx
