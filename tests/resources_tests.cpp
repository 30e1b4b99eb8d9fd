// The resources of the built Velantrix.exe, read back from the file as data:
// manifest, icon group, click sound, pictures (loaded as the windows load
// them, and equal to their PNG sources decoded with WIC), version resource, and the documents beside the program.
#include "core/Constants.h"
#include "core/Handles.h"
#include "resources/ResourceNames.h"
#include "tests/support/TestSupport.h"
#include "toolkit/Png.h"

#include <windows.h>
#include <objbase.h>
#include <mmsystem.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx {
namespace {

using test::Narrow;

// The program file, loaded for its resources only: none of its code runs.
class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExW(test::BuiltProgramPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load " << Narrow(test::BuiltProgramPath()); }

    // The bytes of one resource, empty when it is missing.
    static std::string_view Bytes(const wchar_t* name, const wchar_t* type) {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return {};
        return {static_cast<const char*>(data), SizeofResource(module_, found)};
    }

    static HMODULE module_;
};
HMODULE ProgramResources::module_ = nullptr;

template <typename T> T Read(std::string_view bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// ---------------------------------------------------------------- manifest

// The value of one attribute of the element that starts at or after `from`.
std::string Attribute(std::string_view xml, size_t element, std::string_view name) {
    size_t end = xml.find('>', element);
    std::string key(" ");
    key.append(name).append("=\"");
    size_t at = xml.find(key, element);
    if (element == std::string_view::npos || at == std::string_view::npos || at > end) return "<missing>";
    at += key.size();
    return std::string(xml.substr(at, xml.find('"', at) - at));
}

// Each build's manifest names its own processor: Windows refuses a mismatch, and
// Wine then ignores the list of supported systems (Windows 10 reads as 6.2).
#if defined(_WIN64)
constexpr const char* kBuildArchitecture = "amd64";
#else
constexpr const char* kBuildArchitecture = "x86";
#endif

TEST_F(ProgramResources, ManifestAsksForAdministratorCommonControls6AndNamesTheSupportedWindows) {
    std::string_view xml = Bytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(xml.empty());

    size_t own = xml.find("<assemblyIdentity");
    EXPECT_EQ(Attribute(xml, own, "type"), "win32");
    EXPECT_EQ(Attribute(xml, own, "name"), "TOLVEN.Velantrix");
    EXPECT_EQ(Attribute(xml, own, "version"), "2.0.0.0");
    EXPECT_EQ(Attribute(xml, own, "processorArchitecture"), kBuildArchitecture);
    EXPECT_NE(xml.find("<description>Velantrix</description>"), std::string_view::npos);

    size_t controls = xml.find("<assemblyIdentity", xml.find("<dependentAssembly"));
    EXPECT_EQ(Attribute(xml, controls, "name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(Attribute(xml, controls, "version"), "6.0.0.0");
    EXPECT_EQ(Attribute(xml, controls, "processorArchitecture"), kBuildArchitecture);
    EXPECT_EQ(Attribute(xml, controls, "publicKeyToken"), "6595b64144ccf1df");
    EXPECT_EQ(Attribute(xml, controls, "language"), "*");

    size_t level = xml.find("<requestedExecutionLevel");
    EXPECT_EQ(Attribute(xml, level, "level"), "requireAdministrator");
    EXPECT_EQ(Attribute(xml, level, "uiAccess"), "false");

    std::set<std::string> systems;
    for (size_t at = xml.find("<supportedOS"); at != std::string_view::npos; at = xml.find("<supportedOS", at + 1))
        systems.insert(Attribute(xml, at, "Id"));
    std::set<std::string> expected = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10
    };
    EXPECT_EQ(systems, expected);
}

// The program file's own header names the same processor as its manifest and
// as the test program reading it.
TEST(ProgramFile, IsBuiltForTheProcessorItsManifestNames) {
    std::ifstream file(std::filesystem::path(test::BuiltProgramPath()), std::ios::binary);
    ASSERT_TRUE(file) << "cannot open " << Narrow(test::BuiltProgramPath());
    std::vector<char> head(4096);
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    const std::string_view bytes(head.data(), head.size());
    ASSERT_EQ(bytes.substr(0, 2), "MZ");
    const auto peOffset = Read<std::uint32_t>(bytes, 0x3C);
    ASSERT_EQ(bytes.substr(peOffset, 4), std::string_view("PE\0\0", 4));
    const auto machine = Read<std::uint16_t>(bytes, peOffset + 4);
#if defined(_WIN64)
    EXPECT_EQ(machine, IMAGE_FILE_MACHINE_AMD64);
#else
    EXPECT_EQ(machine, IMAGE_FILE_MACHINE_I386);
#endif
}

// ---------------------------------------------------------------- icon

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14);

TEST_F(ProgramResources, IconGroupHoldsElevenUncompressedBitmapsOfTheListedSizesAndDepths) {
    std::string_view group = Bytes(res::kMainIcon, RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(Read<WORD>(group, 2), 1) << "an icon group, not a cursor group";
    const WORD count = Read<WORD>(group, 4);
    ASSERT_EQ(count, 11);
    ASSERT_GE(group.size(), 6u + count * sizeof(GroupIconEntry));

    std::multiset<std::pair<int, int>> found;
    for (WORD i = 0; i < count; ++i) {
        auto entry = Read<GroupIconEntry>(group, 6 + i * sizeof(GroupIconEntry));
        const int size = entry.width == 0 ? 256 : entry.width;
        SCOPED_TRACE(testing::Message() << "image " << i << ": " << size << " px, " << entry.bitCount << " bpp");
        EXPECT_EQ(entry.width, entry.height);
        found.insert({size, entry.bitCount});

        std::string_view image = Bytes(MAKEINTRESOURCEW(entry.id), RT_ICON);
        ASSERT_EQ(image.size(), entry.bytes);
        ASSERT_NE(image.substr(0, 4), std::string_view("\x89PNG", 4)) << "stored as PNG, not as a bitmap";
        auto header = Read<BITMAPINFOHEADER>(image, 0);
        ASSERT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "colour bitmap and AND mask";
        EXPECT_EQ(header.biBitCount, entry.bitCount);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        // Everything an uncompressed image needs is there: palette, colour rows, mask rows.
        const size_t palette = header.biBitCount == 8 ? 256 * sizeof(RGBQUAD) : 0;
        const size_t colourRow = ((size * header.biBitCount + 31) / 32) * 4;
        const size_t maskRow = ((size + 31) / 32) * 4;
        EXPECT_EQ(image.size(), sizeof(BITMAPINFOHEADER) + palette + size * (colourRow + maskRow));

        // Windows can turn it into an icon of that size.
        UniqueIcon icon(CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(image.data())),
                                                 static_cast<DWORD>(image.size()), TRUE, 0x00030000, size, size,
                                                 LR_DEFAULTCOLOR));
        EXPECT_TRUE(icon);

        if (header.biBitCount == 32) {
            // A real alpha channel: transparent corners, opaque middle, some soft edges.
            const char* pixels = image.data() + sizeof(BITMAPINFOHEADER);
            auto alpha = [&](int x, int y) {
                return static_cast<uint8_t>(pixels[((size - 1 - y) * size + x) * 4 + 3]);
            };
            EXPECT_EQ(alpha(0, 0), 0);
            EXPECT_EQ(alpha(size - 1, size - 1), 0);
            EXPECT_EQ(alpha(size / 2, size / 2), 255);
            int partial = 0;
            for (int p = 0; p < size * size; ++p) {
                uint8_t a = static_cast<uint8_t>(pixels[p * 4 + 3]);
                partial += a > 0 && a < 255;
            }
            EXPECT_GT(partial, 0);
        }
    }
    std::multiset<std::pair<int, int>> expected = {{16, 8},  {24, 8},  {32, 8},  {48, 8},   {16, 32}, {24, 32},
                                                   {32, 32}, {48, 32}, {64, 32}, {128, 32}, {256, 32}};
    EXPECT_EQ(found, expected);
}

// ---------------------------------------------------------------- click sound

TEST_F(ProgramResources, ClickIsAShortMonoPcmWaveThatStartsAndEndsInSilence) {
    std::string_view wave = Bytes(res::kClickSound, res::kWaveType);
    ASSERT_GE(wave.size(), 12u);
    ASSERT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(Read<DWORD>(wave, 4), wave.size() - 8);
    ASSERT_EQ(wave.substr(8, 4), "WAVE");

    PCMWAVEFORMAT format{};
    std::string_view samples;
    for (size_t at = 12; at + 8 <= wave.size();) {
        std::string_view id = wave.substr(at, 4);
        DWORD length = Read<DWORD>(wave, at + 4);
        if (id == "fmt ") format = Read<PCMWAVEFORMAT>(wave, at + 8);
        if (id == "data") samples = wave.substr(at + 8, length);
        at += 8 + length + (length & 1);
    }
    EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.wf.nChannels, 1);
    EXPECT_EQ(format.wf.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.wf.nBlockAlign, 2);
    EXPECT_EQ(format.wf.nAvgBytesPerSec, 44100u);
    ASSERT_EQ(samples.size(), 2158u) << "1079 samples";

    // Audible but not clipped, and no pop at either end.
    int peak = 0;
    for (size_t i = 0; i < samples.size() / 2; ++i) peak = std::max(peak, std::abs(int{Read<int16_t>(samples, i * 2)}));
    EXPECT_GT(peak, 3000);
    EXPECT_LT(peak, 32000);
    EXPECT_LT(std::abs(int{Read<int16_t>(samples, 0)}), 500);
    EXPECT_LT(std::abs(int{Read<int16_t>(samples, samples.size() - 2)}), 50);
}

// ---------------------------------------------------------------- pictures

// A picture decoded by WIC into 32-bit BGRA (straight alpha), row by row.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<uint8_t> bgra;
    bool ok() const { return width > 0 && !bgra.empty(); }
    const uint8_t* At(UINT x, UINT y) const { return &bgra[(y * width + x) * 4]; }
    int Alpha(UINT x, UINT y) const { return At(x, y)[3]; }
    // 0..255, from the colour only.
    int Brightness(UINT x, UINT y) const { return (At(x, y)[0] + At(x, y)[1] * 6 + At(x, y)[2] * 3) / 10; }
};

class Pictures : public ProgramResources {
protected:
    static void SetUpTestSuite() {
        ProgramResources::SetUpTestSuite();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    static void TearDownTestSuite() {
        CoUninitialize();
        ProgramResources::TearDownTestSuite();
    }

    // The program's picture as its windows load it, with straight alpha.
    static Picture Decode(const wchar_t* name) {
        return FromDib(ui::DecodePicture(AsBytes(Bytes(name, RT_RCDATA)), ui::AlphaForm::Straight));
    }

    static std::span<const std::byte> AsBytes(std::string_view bytes) {
        return {reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()};
    }

    static Picture FromDib(const ui::DibImage& image) {
        Picture picture;
        DIBSECTION section{};
        if (!image || GetObjectW(image.bitmap.get(), sizeof section, &section) != sizeof section ||
            !section.dsBm.bmBits)
            return picture;
        picture.width = static_cast<UINT>(image.width);
        picture.height = static_cast<UINT>(image.height);
        const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
        picture.bgra.assign(bits, bits + size_t{picture.width} * picture.height * 4);
        return picture;
    }

    // Every pixel of the columns from `left` on is fully transparent.
    static bool ClearFrom(const Picture& p, UINT left) {
        for (UINT y = 0; y < p.height; ++y)
            for (UINT x = left; x < p.width; ++x)
                if (p.Alpha(x, y) != 0) return false;
        return true;
    }
    static int OpaquePixels(const Picture& p, UINT left, UINT right) {
        int n = 0;
        for (UINT y = 0; y < p.height; ++y)
            for (UINT x = left; x < right; ++x) n += p.Alpha(x, y) > 200;
        return n;
    }
};

TEST_F(Pictures, EveryPictureDecodesAtItsExactSize) {
    const struct {
        const wchar_t* name;
        UINT width, height;
    } expected[] = {
        {res::kBackground, 764, 500}, {res::kTopLogo, 400, 50},    {res::kNavButton1, 78, 27},
        {res::kNavButton2, 85, 27},   {res::kNavButton3, 108, 27}, {res::kNavButton4, 99, 27},
        {res::kImageList1, 32, 16},   {res::kImageList2, 16, 16},  {res::kImageList3, 16, 16},
        {res::kBanner, 700, 60},      {res::kLargeIcon, 256, 256},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(Narrow(e.name));
        Picture p = Decode(e.name);
        ASSERT_TRUE(p.ok());
        EXPECT_EQ(p.width, e.width);
        EXPECT_EQ(p.height, e.height);
    }
}

TEST_F(Pictures, BackgroundHasADarkBandOverALightFieldAndTheBannerIsDarkThroughout) {
    Picture background = Decode(res::kBackground);
    ASSERT_TRUE(background.ok());
    // White labels lie on the band (the navigation labels), black ones on the field (the links).
    for (UINT x : {20u, 300u, 700u, 760u}) {
        EXPECT_LT(background.Brightness(x, 30), 90) << x;
        EXPECT_LT(background.Brightness(x, 70), 110) << x;
        EXPECT_GT(background.At(x, 30)[0], background.At(x, 30)[2]) << "blue, not grey";
    }
    for (UINT y : {140u, 200u, 260u, 495u}) EXPECT_GT(background.Brightness(100, y), 190) << y;
    for (UINT y = 0; y < background.height; y += 50) EXPECT_EQ(background.Alpha(5, y), 255);

    Picture banner = Decode(res::kBanner);
    ASSERT_TRUE(banner.ok());
    // Dark throughout, but for its thin light curves: they may cross a few of the sample points.
    int samples = 0;
    int light = 0;
    for (UINT x = 0; x < banner.width; x += 35)
        for (UINT y = 0; y < banner.height; y += 10, ++samples)
            if (banner.Brightness(x, y) >= 120) ++light;
    EXPECT_LT(light * 20, samples) << light << " of " << samples << " samples are light";
}

TEST_F(Pictures, NavigationIconsStayAtTheLeftEdgeAndLeaveTheLabelAreaTransparent) {
    for (const wchar_t* name : {res::kNavButton1, res::kNavButton2, res::kNavButton3, res::kNavButton4}) {
        SCOPED_TRACE(Narrow(name));
        Picture p = Decode(name);
        ASSERT_TRUE(p.ok());
        EXPECT_TRUE(ClearFrom(p, 26)) << "the label over the picture starts at x 29";
        EXPECT_GT(OpaquePixels(p, 0, 26), 150) << "an icon of about 22 pixels";
    }
}

TEST_F(Pictures, LogoListPicturesAndLargeIconHaveTransparentGround) {
    Picture logo = Decode(res::kTopLogo);
    ASSERT_TRUE(logo.ok());
    EXPECT_EQ(logo.Alpha(0, 0), 0);
    EXPECT_EQ(logo.Alpha(399, 49), 0);
    EXPECT_GT(OpaquePixels(logo, 0, 70), 500) << "the card emblem";
    EXPECT_GT(OpaquePixels(logo, 70, 400), 1000) << "the product name";

    Picture large = Decode(res::kLargeIcon);
    ASSERT_TRUE(large.ok());
    EXPECT_EQ(large.Alpha(0, 0), 0);
    EXPECT_EQ(large.Alpha(255, 0), 0);
    EXPECT_EQ(large.Alpha(128, 120), 255);

    Picture windows = Decode(res::kImageList1);
    ASSERT_TRUE(windows.ok());
    int light = 0, dark = 0;
    for (UINT y = 0; y < 16; ++y)
        for (UINT x = 0; x < 16; ++x) {
            if (windows.Alpha(x, y) > 200) light += windows.Brightness(x, y);
            if (windows.Alpha(x + 16, y) > 200) dark += windows.Brightness(x + 16, y);
        }
    EXPECT_GT(OpaquePixels(windows, 0, 16), 100);
    EXPECT_GT(OpaquePixels(windows, 16, 32), 100);
    EXPECT_GT(light, dark * 3 / 2) << "image 0 is the light emblem, image 1 the dark one";

    for (const wchar_t* name : {res::kImageList2, res::kImageList3}) {
        Picture p = Decode(name);
        ASSERT_TRUE(p.ok());
        EXPECT_GT(OpaquePixels(p, 0, 16), 60) << Narrow(name);
        EXPECT_LT(OpaquePixels(p, 0, 16), 256) << Narrow(name) << ": some transparent ground";
    }
}

// The About window lays its text box over the picture's rows above 80 and its
// legal warning over the rows from 176 down: the card keeps to the band between.
TEST_F(Pictures, LargeIconLeavesTheRowsUnderTheAboutWindowsTextsClear) {
    Picture large = Decode(res::kLargeIcon);
    ASSERT_TRUE(large.ok());
    int clearOutside = 0, opaqueInside = 0;
    for (UINT y = 0; y < large.height; ++y)
        for (UINT x = 0; x < large.width; ++x) {
            const bool band = y >= 80 && y < 176;
            if (!band && large.Alpha(x, y) == 0) ++clearOutside;
            if (band && large.Alpha(x, y) == 255) ++opaqueInside;
        }
    EXPECT_EQ(clearOutside, 256 * (256 - 96));
    EXPECT_GT(opaqueInside, 256 * 96 / 2) << "the card fills most of the band";
}

// The pictures are stored already decoded; each must show exactly what its PNG
// source shows when WIC decodes it, in both alpha forms the windows use.
TEST_F(Pictures, StoredDecodedAndEqualToTheirPngSourcesPixelForPixel) {
    const struct {
        const wchar_t* name;
        const wchar_t* source; // the PNG, carried by this test program
    } pictures[] = {
        {res::kBackground, L"PNG_BACKGROUND"}, {res::kTopLogo, L"PNG_TOPLOGO"},
        {res::kNavButton1, L"PNG_NAVBUTTON1"}, {res::kNavButton2, L"PNG_NAVBUTTON2"},
        {res::kNavButton3, L"PNG_NAVBUTTON3"}, {res::kNavButton4, L"PNG_NAVBUTTON4"},
        {res::kImageList1, L"PNG_IMAGELIST1"}, {res::kImageList2, L"PNG_IMAGELIST2"},
        {res::kImageList3, L"PNG_IMAGELIST3"}, {res::kBanner, L"PNG_BANNER"},
        {res::kLargeIcon, L"PNG_LARGEICON"},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(Narrow(p.name));
        const std::span<const std::byte> stored = AsBytes(Bytes(p.name, RT_RCDATA));
        ASSERT_GE(stored.size(), 16u);
        EXPECT_EQ(std::memcmp(stored.data(), ui::kDecodedPictureMagic, 8), 0) << "stored as a PNG, not decoded";
        const std::span<const std::byte> png = ui::RcDataResource(nullptr, p.source);
        ASSERT_FALSE(png.empty()) << "the test program carries the PNG";
        int differing = 0;
        for (ui::AlphaForm form : {ui::AlphaForm::Straight, ui::AlphaForm::Premultiplied}) {
            const Picture expected = FromDib(ui::DecodePng(png, form));
            const Picture actual = FromDib(ui::DecodePicture(stored, form));
            ASSERT_TRUE(expected.ok());
            ASSERT_TRUE(actual.ok());
            EXPECT_EQ(actual.width, expected.width);
            EXPECT_EQ(actual.height, expected.height);
            ASSERT_EQ(actual.bgra.size(), expected.bgra.size());
            for (size_t i = 0; i < actual.bgra.size(); ++i) {
                if (actual.bgra[i] == expected.bgra[i]) continue;
                if (differing++ < 3)
                    ADD_FAILURE() << "byte " << i << " (form " << static_cast<int>(form) << "): " << int{actual.bgra[i]}
                                  << " for " << int{expected.bgra[i]} << ", alpha " << int{expected.bgra[i | 3]};
            }
        }
        EXPECT_EQ(differing, 0) << "bytes differ from the PNG decoded with WIC";
    }
}

// An opaque picture is painted by a plain copy, so "opaque" must mean that not
// one pixel lets anything show through.
TEST_F(Pictures, APictureIsOpaqueExactlyWhenEveryPixelIs) {
    int opaque = 0;
    int seeThrough = 0;
    for (const wchar_t* name : {res::kBackground, res::kTopLogo, res::kNavButton1, res::kNavButton2, res::kNavButton3,
                                res::kNavButton4, res::kBanner, res::kLargeIcon}) {
        SCOPED_TRACE(Narrow(name));
        const ui::DibImage image = ui::DecodePicture(AsBytes(Bytes(name, RT_RCDATA)), ui::AlphaForm::Premultiplied);
        const Picture p = FromDib(image);
        ASSERT_TRUE(p.ok());
        bool everyPixel = true;
        for (UINT y = 0; y < p.height; ++y)
            for (UINT x = 0; x < p.width; ++x) everyPixel = everyPixel && p.Alpha(x, y) == 255;
        EXPECT_EQ(image.opaque, everyPixel);
        ++(everyPixel ? opaque : seeThrough);
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(seeThrough, 0);
    // One pixel short of full alpha, at the very end, is enough to see through.
    std::string background(Bytes(res::kBackground, RT_RCDATA));
    ASSERT_TRUE(ui::DecodePicture(AsBytes(background), ui::AlphaForm::Premultiplied).opaque);
    background.back() = '\xfe';
    EXPECT_FALSE(ui::DecodePicture(AsBytes(background), ui::AlphaForm::Premultiplied).opaque);
}

TEST_F(Pictures, ADecodedPictureCutShortOrWithoutItsHeaderIsRefused) {
    const std::string_view stored = Bytes(res::kTopLogo, RT_RCDATA);
    ASSERT_GT(stored.size(), 16u);
    EXPECT_TRUE(ui::LoadDecodedPicture(AsBytes(stored), ui::AlphaForm::Straight));
    EXPECT_FALSE(ui::LoadDecodedPicture(AsBytes(stored.substr(0, stored.size() - 1)), ui::AlphaForm::Straight));
    EXPECT_FALSE(ui::LoadDecodedPicture(AsBytes(stored.substr(0, 15)), ui::AlphaForm::Straight));
    std::string noMagic(stored);
    noMagic[0] = 'W';
    EXPECT_FALSE(ui::LoadDecodedPicture(AsBytes(noMagic), ui::AlphaForm::Straight));
    EXPECT_FALSE(ui::DecodePicture(AsBytes(noMagic), ui::AlphaForm::Straight)) << "nor read as a PNG";
    std::string huge(stored);
    huge[8] = huge[9] = huge[10] = huge[11] = '\xff'; // a width of 4 294 967 295
    EXPECT_FALSE(ui::LoadDecodedPicture(AsBytes(huge), ui::AlphaForm::Premultiplied));
    // A PNG still loads through the same door.
    EXPECT_TRUE(ui::DecodePicture(ui::RcDataResource(nullptr, L"PNG_TOPLOGO"), ui::AlphaForm::Straight));
}

// ---------------------------------------------------------------- version and documents

TEST(ProgramFile, VersionResourceSaysTheProgramVersion) {
    std::wstring path = test::BuiltProgramPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(12, 3)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(2015, 7)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"3.12.7.2015");
    EXPECT_STREQ(text, kVersionText);
}

std::string FileStart(const std::wstring& path, size_t count) {
    std::string all;
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return all;
    }
    char buffer[65536];
    DWORD read = 0;
    while (all.size() < count && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        all.append(buffer, read);
    return all.substr(0, std::min(count, all.size()));
}

std::wstring ProgramFolder() {
    std::wstring path = test::BuiltProgramPath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

TEST(ProgramFile, HelpFileAndLicenceTermsLieBesideTheProgram) {
    std::string help = FileStart(ProgramFolder() + kHelpFileName, 1 << 20);
    ASSERT_GE(help.size(), 4u) << "Velantrix.chm is missing";
    EXPECT_EQ(help.substr(0, 4), "ITSF") << "a compiled HTML help file";
    EXPECT_NE(help.find("/html/main.htm"), std::string::npos) << "the topic the program opens";
    EXPECT_NE(help.find("HelpWindow"), std::string::npos) << "the window type the program asks for";

    std::string licence = FileStart(ProgramFolder() + kLicenseFileName, 1 << 20);
    ASSERT_FALSE(licence.empty()) << "License.rtf is missing";
    EXPECT_EQ(licence.substr(0, 6), "{\\rtf1");
    // One group that holds the whole document: the braces balance and first close at the end.
    int depth = 0;
    size_t closed = std::string::npos;
    for (size_t i = 0; i < licence.size() && closed == std::string::npos; ++i) {
        if (licence[i] == '\\') ++i;
        else if (licence[i] == '{') ++depth;
        else if (licence[i] == '}' && --depth == 0) closed = i;
    }
    ASSERT_NE(closed, std::string::npos);
    EXPECT_EQ(licence.find_first_not_of("\r\n", closed + 1), std::string::npos);
    EXPECT_NE(licence.find("TOLVEN"), std::string::npos);
}

} // namespace
} // namespace vx
