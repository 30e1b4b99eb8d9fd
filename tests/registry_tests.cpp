// The registry layer against the real (Wine) registry of the test prefix.
#include "core/CustomRegistry.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

constexpr wchar_t kTestKey[] = L"\\Software\\TOLVEN\\VelantrixTest\\Registry\\";
constexpr wchar_t kTestKeyNoSlashes[] = L"Software\\TOLVEN\\VelantrixTest\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest"); }
    void TearDown() override { test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest"); }

    // Writes a value with the raw API, bypassing the layer under test.
    static void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKeyNoSlashes, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    static bool KeyExists(HKEY root, const wchar_t* path, REGSAM view = 0) {
        UniqueRegKey key;
        return RegOpenKeyExW(root, path, 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
    }
    static std::wstring Read(const wchar_t* name) {
        return ReadRegString(HKEY_CURRENT_USER, kTestKey, name, L"dflt", false);
    }
    static int ReadInt(const wchar_t* name) { return ReadRegInteger(HKEY_CURRENT_USER, kTestKey, name, -77, false); }
};

TEST_F(RegistryTest, TextReadsGiveTheDefaultForEverythingButNonEmptyText) {
    WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Empty", L"", false);
    EXPECT_EQ(Read(L"Empty"), L"dflt");
    EXPECT_EQ(Read(L"Missing"), L"dflt");

    const wchar_t onlyNul[] = L"";
    Put(L"OnlyNul", REG_SZ, onlyNul, sizeof(onlyNul));
    EXPECT_EQ(Read(L"OnlyNul"), L"dflt");

    const wchar_t expand[] = L"%SystemRoot%\\x";
    Put(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    EXPECT_EQ(Read(L"Expand"), L"%SystemRoot%\\x");

    const wchar_t embedded[] = L"abc\0def";
    Put(L"Embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(Read(L"Embedded"), L"abc");

    const wchar_t multi[] = L"one\0two\0";
    Put(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_EQ(Read(L"Multi"), L"dflt");

    const DWORD number = 5;
    Put(L"Dword", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(Read(L"Dword"), L"dflt");

    const BYTE bytes[] = {'h', 0, 'i', 0, 0, 0};
    Put(L"Binary", REG_BINARY, bytes, sizeof(bytes));
    EXPECT_EQ(Read(L"Binary"), L"dflt");
}

TEST_F(RegistryTest, TextWithoutTerminatorOrOfOddLengthReadsWithinItsBytes) {
    const wchar_t noNul[] = {L'a', L'b', L'c'};
    Put(L"NoNul", REG_SZ, noNul, sizeof(noNul));
    EXPECT_EQ(Read(L"NoNul"), L"abc");

    const wchar_t odd[] = L"xyz";
    Put(L"Odd", REG_SZ, odd, 5); // "xy" and the first byte of "z"
    EXPECT_EQ(Read(L"Odd"), L"xy");
    Put(L"OddWithNul", REG_SZ, odd, 7);
    EXPECT_EQ(Read(L"OddWithNul"), L"xyz");

    const std::wstring longText(5000, L'q');
    WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Long", longText, false);
    EXPECT_EQ(Read(L"Long"), longText);
}

TEST_F(RegistryTest, IntegerReadsTakeOnlyFourByteDwords) {
    const DWORD allOnes = 0xFFFFFFFF;
    Put(L"AllOnes", REG_DWORD, &allOnes, sizeof(allOnes));
    EXPECT_EQ(ReadInt(L"AllOnes"), -1);

    const wchar_t digits[] = L"42";
    Put(L"Digits", REG_SZ, digits, sizeof(digits));
    EXPECT_EQ(ReadInt(L"Digits"), -77);

    const ULONGLONG wide = 7;
    Put(L"Qword", REG_QWORD, &wide, sizeof(wide));
    EXPECT_EQ(ReadInt(L"Qword"), -77);

    const BYTE longBinary[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    Put(L"LongBinary", REG_BINARY, longBinary, sizeof(longBinary));
    EXPECT_EQ(ReadInt(L"LongBinary"), -77);

    const BYTE fourBinary[4] = {1, 0, 0, 0};
    Put(L"FourBinary", REG_BINARY, fourBinary, sizeof(fourBinary));
    EXPECT_EQ(ReadInt(L"FourBinary"), -77);

    // A DWORD of two bytes would leave half of the number unread.
    const BYTE shortDword[2] = {0x34, 0x12};
    Put(L"ShortDword", REG_DWORD, shortDword, sizeof(shortDword));
    EXPECT_EQ(ReadInt(L"ShortDword"), -77);
    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, kTestKey, L"ShortDword", true, false));
    EXPECT_FALSE(ReadRegBool(HKEY_CURRENT_USER, kTestKey, L"ShortDword", false, false));

    EXPECT_EQ(ReadInt(L"Missing"), -77);
}

TEST_F(RegistryTest, BooleansAreDwordsAndAnyNonZeroIsTrue) {
    const DWORD two = 2;
    Put(L"Two", REG_DWORD, &two, sizeof(two));
    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, kTestKey, L"Two", false, false));
    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, kTestKey, L"Missing", true, false));
    EXPECT_FALSE(ReadRegBool(HKEY_CURRENT_USER, kTestKey, L"Missing", false, false));

    WriteRegBool(HKEY_CURRENT_USER, kTestKey, L"Flag", true, false);
    EXPECT_EQ(ReadInt(L"Flag"), 1);
    WriteRegBool(HKEY_CURRENT_USER, kTestKey, L"Flag", false, false);
    EXPECT_EQ(ReadInt(L"Flag"), 0);
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Flag", false)->type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryTest, WritesStoreExactTypesAndBytes) {
    WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Text", L"Yes", false);
    const auto text = ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Text", false);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text->data, (std::vector<BYTE>{'Y', 0, 'e', 0, 's', 0, 0, 0}));

    WriteRegInteger(HKEY_CURRENT_USER, kTestKey, L"Number", -2, false);
    const auto number = ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Number", false);
    ASSERT_TRUE(number);
    EXPECT_EQ(number->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number->data, (std::vector<BYTE>{0xFE, 0xFF, 0xFF, 0xFF}));

    WriteRegBinary(HKEY_CURRENT_USER, kTestKey, L"Bytes", {0, 0, 0, 0}, false);
    const auto bytes = ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Bytes", false);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(bytes->data, (std::vector<BYTE>{0, 0, 0, 0}));

    // A write over a value of another type replaces it with the written type.
    WriteRegInteger(HKEY_CURRENT_USER, kTestKey, L"Text", 9, false);
    EXPECT_EQ(ReadInt(L"Text"), 9);
}

TEST_F(RegistryTest, RawValuesRoundTripAnyType) {
    const RegValue multi{REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}};
    WriteRegRaw(HKEY_CURRENT_USER, kTestKey, L"Multi", multi, false);
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Multi", false), multi);
    const RegValue empty{REG_BINARY, {}};
    WriteRegRaw(HKEY_CURRENT_USER, kTestKey, L"Empty", empty, false);
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Empty", false), empty);
    EXPECT_FALSE(ReadRegRaw(HKEY_CURRENT_USER, kTestKey, L"Missing", false));
}

TEST_F(RegistryTest, WriteCreatesEveryMissingParentKey) {
    WriteRegInteger(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest\\A\\B\\C\\", L"Deep", 3, false);
    EXPECT_EQ(ReadRegInteger(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest\\A\\B\\C\\", L"Deep", 0, false), 3);
}

TEST_F(RegistryTest, DeleteOfMissingValueOrKeyCreatesNothing) {
    DeleteRegValue(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest\\Nowhere\\", L"Gone", false);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\TOLVEN\\VelantrixTest\\Nowhere"));

    WriteRegInteger(HKEY_CURRENT_USER, kTestKey, L"Present", 1, false);
    DeleteRegValue(HKEY_CURRENT_USER, kTestKey, L"Absent", false);
    EXPECT_EQ(ReadInt(L"Present"), 1);
    DeleteRegValue(HKEY_CURRENT_USER, kTestKey, L"Present", false);
    EXPECT_EQ(ReadInt(L"Present"), -77);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKeyNoSlashes));
}

TEST_F(RegistryTest, LeadingAndTrailingBackslashFormsAddressOneKey) {
    WriteRegString(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest\\Registry\\", L"Form", L"both", false);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTest\\Registry", L"Form", L"", false),
              L"both");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"Software\\TOLVEN\\VelantrixTest\\Registry\\", L"Form", L"", false),
              L"both");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"Software\\TOLVEN\\VelantrixTest\\Registry", L"Form", L"", false),
              L"both");
}

// Both builds work in the view of a 32-bit process: HKLM\Software is the 32-bit
// view (the 64-bit build asks for it), while HKLM\System and HKCU are shared.
TEST(RegistryViews, SoftwareIsRedirectedWhileSystemAndUserAreShared) {
    const wchar_t software[] = L"\\Software\\TOLVEN\\VelantrixViewTest\\";
    const wchar_t system[] = L"\\System\\CurrentControlSet\\Services\\VelantrixViewTest\\";
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, software);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, software, true);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, system);

    WriteRegInteger(HKEY_LOCAL_MACHINE, software, L"View", 32, false);
    WriteRegInteger(HKEY_LOCAL_MACHINE, system, L"View", 32, false);

    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, software, L"View", 0, false), 32);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, software, L"View", 0, true), 0) << "seen at the 64-bit path";
    EXPECT_EQ(
        ReadRegInteger(HKEY_LOCAL_MACHINE, L"\\Software\\WOW6432Node\\TOLVEN\\VelantrixViewTest\\", L"View", 0, true),
        32);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, system, L"View", 0, true), 32);

    WriteRegInteger(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixViewTest\\", L"View", 5, false);
    EXPECT_EQ(ReadRegInteger(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixViewTest\\", L"View", 0, true), 5);

    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, software);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, system);
    test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixViewTest\\");
}

} // namespace
} // namespace vx
