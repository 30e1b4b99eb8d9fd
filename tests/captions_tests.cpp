// The caption tables: the row splitter and the table rules over given texts,
// the language choice through the real registry settings key, and the two
// tables embedded in this program and in the built Velantrix.exe.
#include "ui/Captions.h"

#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/Handles.h"
#include "core/Text.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace vx::ui {
namespace {

using Fields = std::vector<std::wstring>;

class FakeComponent : public Component {
public:
    FakeComponent(std::wstring name, ComponentKind kind, std::wstring caption)
        : Component(std::move(name)), kind_(kind), caption_(std::move(caption)) {}
    ComponentKind Kind() const noexcept override { return kind_; }
    std::wstring Caption() const override { return caption_; }
    void SetCaption(std::wstring_view caption) override { caption_ = caption; }

private:
    ComponentKind kind_;
    std::wstring caption_;
};

// A window as the tables see it; it owns its components but not itself.
class FakeWindow : public CaptionTarget {
public:
    explicit FakeWindow(std::wstring name) : name_(std::move(name)) {}
    const std::wstring& Name() const noexcept override { return name_; }
    void SetTitle(std::wstring_view title) override { title_ = title; }
    std::wstring Title() const override { return title_; }
    Component* FindComponent(std::wstring_view name) const override {
        for (const auto& component : components_)
            if (EqualsIgnoreAsciiCase(component->Name(), name)) return component.get();
        return nullptr;
    }
    FakeComponent& Add(std::wstring name, ComponentKind kind, std::wstring caption = L"") {
        components_.push_back(std::make_unique<FakeComponent>(std::move(name), kind, std::move(caption)));
        return *components_.back();
    }

private:
    std::wstring name_;
    std::wstring title_;
    std::vector<std::unique_ptr<FakeComponent>> components_;
};

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (int v : values) bytes.push_back(static_cast<std::byte>(v));
    return bytes;
}

std::wstring Decode(std::initializer_list<int> values) {
    const std::vector<std::byte> bytes = Bytes(values);
    return DecodeCaptionTable(bytes);
}

// ---- Decoding and lines ---------------------------------------------------

TEST(CaptionDecoding, HonoursTheThreeMarksAndDropsThem) {
    EXPECT_EQ(Decode({0xFF, 0xFE, 'A', 0, 0x00, 0xAC}), L"A\xAC00");
    EXPECT_EQ(Decode({0xFE, 0xFF, 0, 'A', 0xAC, 0x00}), L"A\xAC00");
    EXPECT_EQ(Decode({0xEF, 0xBB, 0xBF, 'A', 0xEA, 0xB0, 0x80}), L"A\xAC00");
    EXPECT_EQ(Decode({0xFF, 0xFE}), L"");
    // An odd last byte of UTF-16 is no character.
    EXPECT_EQ(Decode({0xFF, 0xFE, 'A', 0, 'B'}), L"A");
}

TEST(CaptionDecoding, WithoutMarkUsesTheAnsiCodePage) {
    EXPECT_EQ(Decode({'V', 'X', ',', ' ', '"', 'a', '"'}), L"VX, \"a\"");
    // Wine under an English locale runs with Windows-1252 as the ANSI code page.
    if (GetACP() == 1252) {
        EXPECT_EQ(Decode({'C', 'a', 'f', 0xE9, 0x80}), L"Caf\x00E9\x20AC");
        // A lone FF is no mark: it is a character of the code page.
        EXPECT_EQ(Decode({0xFF, 'A'}), L"\x00FF"
                                       L"A");
    }
    EXPECT_EQ(Decode({}), L"");
}

TEST(CaptionDecoding, NulEndsTheTextInEveryEncoding) {
    EXPECT_EQ(Decode({'a', 'b', 0, 'c'}), L"ab");
    EXPECT_EQ(Decode({0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0}), L"a");
    EXPECT_EQ(Decode({0xFE, 0xFF, 0, 'a', 0, 0, 0, 'b'}), L"a");
    EXPECT_EQ(Decode({0xEF, 0xBB, 0xBF, 'a', 0, 'b'}), L"a");
}

TEST(CaptionLines, EndAtCrLfLoneCrAndLoneLf) {
    EXPECT_EQ(SplitCaptionLines(L"a\r\nb\rc\nd"), (Fields{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\n\r\nb"), (Fields{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\n\rb"), (Fields{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\r\nb"), (Fields{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\n"), (Fields{L"a"}));
    EXPECT_EQ(SplitCaptionLines(L""), (Fields{}));
}

// ---- Splitting a row ------------------------------------------------------

TEST(CaptionRow, QuotedTextKeepsBlanksAndCommas) {
    EXPECT_EQ(SplitCaptionRow(L"VXMainForm, GoButton, \"&Optimize now\""),
              (Fields{L"VXMainForm", L"GoButton", L"&Optimize now"}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \" &Check, for updates ... \""),
              (Fields{L"F", L"K", L" &Check, for updates ... "}));
    EXPECT_EQ(SplitCaptionRow(L"F,K,\"x\""), (Fields{L"F", L"K", L"x"}));
    // The blank after the closing quote is dropped.
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"Click OK to continue.\" "), (Fields{L"F", L"K", L"Click OK to continue."}));
    EXPECT_EQ(SplitCaptionRow(L"\t\x01 F ,\tK , \"x\""), (Fields{L"F", L"K", L"x"}));
}

TEST(CaptionRow, DoubledQuotesAndEmptyQuotes) {
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"say \"\"hi\"\"\""), (Fields{L"F", L"K", L"say \"hi\""}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"\"\"\""), (Fields{L"F", L"K", L"\""}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"\""), (Fields{L"F", L"K", L""}));
}

TEST(CaptionRow, MissingClosingQuoteTakesTheRestLessItsLastCharacter) {
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"abc"), (Fields{L"F", L"K", L"ab"}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"a\"\"bc"), (Fields{L"F", L"K", L"a\"b"}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \"ab\"\""), (Fields{L"F", L"K", L"ab"}));
    EXPECT_EQ(SplitCaptionRow(L"F, K, \""), (Fields{L"F", L"K", L""}));
}

TEST(CaptionRow, UnquotedTextEndsAtItsFirstBlank) {
    EXPECT_EQ(SplitCaptionRow(L"VXMainForm, GoButton, Optimize now"),
              (Fields{L"VXMainForm", L"GoButton", L"Optimize", L"now"}));
    // Without a comma the next field starts right there; a quote inside a plain field is text.
    EXPECT_EQ(SplitCaptionRow(L"\"a\"b c\"d\""), (Fields{L"a", L"b", L"c\"d\""}));
    // Only codes 1 to 32 are blanks.
    EXPECT_EQ(SplitCaptionRow(L"F,\x00A0K"), (Fields{L"F", L"\x00A0K"}));
    EXPECT_EQ(SplitCaptionRow(L",K"), (Fields{L"", L"K"}));
}

TEST(CaptionRow, CommaEndingTheLineOpensAnEmptyField) {
    EXPECT_EQ(SplitCaptionRow(L"VXMainForm, GoButton,"), (Fields{L"VXMainForm", L"GoButton", L""}));
    EXPECT_EQ(SplitCaptionRow(L"VXMainForm, GoButton ,"), (Fields{L"VXMainForm", L"GoButton", L""}));
    EXPECT_EQ(SplitCaptionRow(L"VXMainForm, GoButton, "), (Fields{L"VXMainForm", L"GoButton"}));
    EXPECT_EQ(SplitCaptionRow(L" \t "), (Fields{}));
}

// ---- The rules over a table -----------------------------------------------

// A main window with a few components of each handled kind and of others.
struct MainWindow {
    FakeWindow window{L"VXMainForm"};
    FakeComponent& go = window.Add(L"GoButton", ComponentKind::Button, L"layout");
    FakeComponent& benefits = window.Add(L"BenefitsLabel", ComponentKind::Label, L"layout");
    FakeComponent& panel = window.Add(L"TopPanel", ComponentKind::Panel, L"layout");
    FakeComponent& popup = window.Add(L"HelpFilePopup", ComponentKind::MenuItem);
    FakeComponent& separator = window.Add(L"N1", ComponentKind::MenuItem, L"-");
    FakeComponent& memo = window.Add(L"NotesMemo", ComponentKind::Memo, L"line one\r\nline two");
    FakeComponent& picture = window.Add(L"LogoPicture", ComponentKind::Picture, L"layout");
    FakeComponent& list = window.Add(L"OSVersionList", ComponentKind::ComboBox, L"layout");
};

TEST(CaptionRules, EveryHandledKindTakesItsTextAndOtherKindsKeepTheirs) {
    MainWindow m;
    ApplyCaptionTable(L"VXMainForm, VXMainForm, \"Title\"\r\n"
                      L"VXMainForm, GoButton, \"&Go\"\r\n"
                      L"VXMainForm, benefitslabel, \"Benefits\"\r\n"
                      L"VXMainForm, TopPanel, \"Panel\"\r\n"
                      L"VXMainForm, HelpFilePopup, \"Get &help\"\r\n"
                      L"VXMainForm, NotesMemo, \"one line\"\r\n"
                      L"VXMainForm, LogoPicture, \"no\"\r\n"
                      L"VXMainForm, OSVersionList, \"no\"\r\n"
                      L"VXMainForm, NoSuchControl, \"no\"\r\n"
                      L"VXAboutForm, GoButton, \"other window\"",
                      m.window);
    EXPECT_EQ(m.window.Title(), L"Title");
    EXPECT_EQ(m.go.Caption(), L"&Go");
    EXPECT_EQ(m.benefits.Caption(), L"Benefits");
    EXPECT_EQ(m.panel.Caption(), L"Panel");
    EXPECT_EQ(m.popup.Caption(), L"Get &help");
    EXPECT_EQ(m.separator.Caption(), L"-");
    EXPECT_EQ(m.memo.Caption(), L"one line");
    EXPECT_EQ(m.picture.Caption(), L"layout");
    EXPECT_EQ(m.list.Caption(), L"layout");
}

TEST(CaptionRules, FieldOneIgnoresCaseButTheTitleNeedsFieldTwoExactly) {
    MainWindow m;
    ApplyCaptionTable(L"vxmainform, VXMainForm, \"Title\"\r\nVXMAINFORM, GOBUTTON, \"&Go\"", m.window);
    EXPECT_EQ(m.window.Title(), L"Title");
    EXPECT_EQ(m.go.Caption(), L"&Go");

    MainWindow n;
    ApplyCaptionTable(L"VXMainForm, vxmainform, \"Title\"\r\nVXMainForm, GoButton, \"&Go\"", n.window);
    EXPECT_EQ(n.window.Title(), L"");
    EXPECT_EQ(n.go.Caption(), L"&Go");

    // Letters beyond A to Z keep their case.
    EXPECT_EQ(FindCaption(L"VX\x00C9, K, \"x\"", L"vx\x00E9", L"K"), L"");
    EXPECT_EQ(FindCaption(L"VX\x00C9, K, \"x\"", L"vx\x00C9", L"k"), L"x");
}

TEST(CaptionRules, TheLastRowOfAKeyWins) {
    const wchar_t table[] = L"VXMainForm, GoButton, \"first\"\r\n\r\nVXMainForm, gobutton, \"second\"\r\n"
                            L"VXAboutForm, GoButton, \"other\"";
    MainWindow m;
    ApplyCaptionTable(table, m.window);
    EXPECT_EQ(m.go.Caption(), L"second");
    EXPECT_EQ(FindCaption(table, L"vxmainform", L"GOBUTTON"), L"second");
    EXPECT_EQ(FindCaption(table, L"VXMainForm", L"NoSuchKey"), L"");
    // Fields after the third are ignored.
    EXPECT_EQ(FindCaption(L"F, K, \"a\", \"b\"", L"F", L"K"), L"a");
}

TEST(CaptionRules, TrailingCommaGivesAnEmptyTextWithoutItTheCallEnds) {
    const wchar_t after[] = L"\r\nVXMainForm, BenefitsLabel, \"Benefits\"";
    MainWindow withComma;
    ApplyCaptionTable(std::wstring(L"VXMainForm, VXMainForm, \"T\"\r\nVXMainForm, GoButton,") + after,
                      withComma.window);
    EXPECT_EQ(withComma.go.Caption(), L"");
    EXPECT_EQ(withComma.benefits.Caption(), L"Benefits");

    for (const wchar_t* row : {L"VXMainForm, GoButton", L"VXMainForm, GoButton, ", L"VXMainForm, VXMainForm"}) {
        MainWindow m;
        ApplyCaptionTable(std::wstring(L"VXMainForm, TopPanel, \"P\"\r\n") + row + after, m.window);
        EXPECT_EQ(m.panel.Caption(), L"P") << row; // applied before stays applied
        EXPECT_EQ(m.go.Caption(), L"layout") << row;
        EXPECT_EQ(m.benefits.Caption(), L"layout") << row;
    }
}

TEST(CaptionRules, OnlyARowThatNeedsTheMissingFieldEndsTheCall) {
    const wchar_t last[] = L"\r\nVXMainForm, GoButton, \"&Go\"";
    // Rows of other windows, unknown components and unhandled kinds need no third field.
    for (const wchar_t* row :
         {L"VXAboutForm", L"VXAboutForm, GoButton", L"VXMainForm, NoSuchControl", L"VXMainForm, LogoPicture"}) {
        MainWindow m;
        ApplyCaptionTable(std::wstring(row) + last, m.window);
        EXPECT_EQ(m.go.Caption(), L"&Go") << row;
    }
    // A row of this window without a component name, or a line of blanks only, ends it.
    for (const wchar_t* row : {L"VXMainForm", L"VXMainForm,  ", L" \t "}) {
        MainWindow m;
        ApplyCaptionTable(std::wstring(row) + last, m.window);
        EXPECT_EQ(m.go.Caption(), L"layout") << row;
    }
}

TEST(CaptionRules, LookupStopsAtARowMissingANeededFieldKeepingWhatItFound) {
    EXPECT_EQ(FindCaption(L"F, K, \"one\"\r\nF, K\r\nF, K, \"three\"", L"F", L"K"), L"one");
    EXPECT_EQ(FindCaption(L"F, K, \"one\"\r\nF\r\nF, K, \"three\"", L"F", L"K"), L"one");
    EXPECT_EQ(FindCaption(L"F, K, \"one\"\r\n   \r\nF, K, \"three\"", L"F", L"K"), L"one");
    // Rows that do not reach the missing field do not stop it.
    EXPECT_EQ(FindCaption(L"F, K, \"one\"\r\nG\r\nF, J\r\nF, K, \"three\"", L"F", L"K"), L"three");
}

// ---- The language setting, through the real settings key -----------------

class CaptionLanguageTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteRegValue(kSettingsRoot, kSettingsKey, kLanguage, false); }
    void TearDown() override { DeleteRegValue(kSettingsRoot, kSettingsKey, kLanguage, false); }
    static void SetLanguage(const wchar_t* language) {
        WriteRegString(kSettingsRoot, kSettingsKey, kLanguage, language, false);
        ASSERT_TRUE(ReadRegRaw(kSettingsRoot, kSettingsKey, kLanguage, false).has_value());
    }
    static std::wstring GoButton() { return GetCaption(L"VXMainForm", L"GoButton"); }
    static constexpr wchar_t kLanguage[] = L"Language";
    static constexpr wchar_t kEnglishGo[] = L"&Optimize now";
    static constexpr wchar_t kKoreanGo[] = L"지금 최적화(&O)";
};

TEST_F(CaptionLanguageTest, AbsentOrEmptyMeansEnglish) {
    EXPECT_EQ(CaptionLanguage(), L"english");
    EXPECT_EQ(GoButton(), kEnglishGo);
    SetLanguage(L"");
    EXPECT_EQ(CaptionLanguage(), L"english");
    EXPECT_EQ(GoButton(), kEnglishGo);
}

TEST_F(CaptionLanguageTest, TheKoreanTableIsFoundInAnyLetterCase) {
    for (const wchar_t* name : {L"KOREAN", L"Korean", L"korean"}) {
        SetLanguage(name);
        EXPECT_EQ(CaptionLanguage(), L"korean");
        EXPECT_EQ(GoButton(), kKoreanGo) << name;
    }
    // Only A to Z are lower-cased.
    SetLanguage(L"\x00C9NGLISH");
    EXPECT_EQ(CaptionLanguage(), L"\x00C9nglish");
}

TEST_F(CaptionLanguageTest, ALanguageWithoutTableGivesNothingAndChangesNothing) {
    for (const wchar_t* name : {L"german", L"english ", L"#1", L"engl"}) {
        SetLanguage(name);
        EXPECT_EQ(GoButton(), L"") << name;
        MainWindow m;
        ApplyCaptions(m.window);
        EXPECT_EQ(m.window.Title(), L"") << name;
        EXPECT_EQ(m.go.Caption(), L"layout") << name;
    }
}

// A table is split into rows once and kept: every lookup, whichever language
// came before it, gives what reading the table afresh gives.
TEST_F(CaptionLanguageTest, KeptTablesGiveWhatAFreshReadingGivesInEitherLanguage) {
    for (int round = 0; round < 3; ++round) {
        for (const wchar_t* language : {L"korean", L"english"}) {
            SetLanguage(language);
            const std::optional<std::wstring> table = LoadCaptionTable(language);
            ASSERT_TRUE(table);
            int keys = 0;
            for (const std::wstring& line : SplitCaptionLines(*table)) {
                const std::vector<std::wstring> row = SplitCaptionRow(line);
                if (row.size() < 3) continue;
                ++keys;
                EXPECT_EQ(GetCaption(row[0], row[1]), FindCaption(*table, row[0], row[1])) << line;
            }
            EXPECT_EQ(keys, 78) << language;
        }
    }
}

TEST_F(CaptionLanguageTest, EveryCallReadsTheSettingAgain) {
    FakeWindow about(L"VXAboutForm");
    FakeComponent& close = about.Add(L"CloseButton", ComponentKind::Button);
    SetLanguage(L"korean");
    ApplyCaptions(about);
    EXPECT_EQ(about.Title(), L"Velantrix 정보");
    EXPECT_EQ(close.Caption(), L"닫기(&C)");
    EXPECT_EQ(GoButton(), kKoreanGo);
    SetLanguage(L"english");
    EXPECT_EQ(GoButton(), kEnglishGo);
    ApplyCaptions(about);
    EXPECT_EQ(about.Title(), L"About Velantrix");
    EXPECT_EQ(close.Caption(), L"&Close");
}

// ---- The embedded tables --------------------------------------------------

struct Expected {
    const wchar_t* form;
    const wchar_t* component;
    const wchar_t* english;
    const wchar_t* korean;
};

const Expected kExpected[] = {
    {L"VXMainForm", L"VXMainForm", L"Velantrix - Make your games and internet run faster",
     L"Velantrix - 당신의 게임과 인터넷을 빠르게!"},
    {L"VXMainForm", L"BenefitsDescription",
     L"Velantrix will optimize this computer and internet speed by adjusting several settings within "
     L"Windows.  These changes may improve gaming and internet performance to run faster.",
     L"Velantrix는 Windows의 몇 가지 설정을 변경하여 게임 및 인터넷 속도를 향상시킵니다."},
    {L"VXMainForm", L"PerformanceHeading", L"Choose the correct settings below", L"알맞은 설정을 선택하십시오."},
    {L"VXMainForm", L"OSVersionLabel", L"Operating System : ", L"운영 체제 : "},
    {L"VXMainForm", L"ModemTypeLabel", L"Internet Type : ", L"인터넷 타입 : "},
    {L"VXMainForm", L"FasterLabel", L"Maximum Boost", L"매우 빠르게"},
    {L"VXMainForm", L"NavStatic2", L"Home", L"홈페이지"},
    {L"VXMainForm", L"LinkLabel7", L"About Velantrix", L"Velantrix 정보"},
    {L"VXMainForm", L"GoButton", L"&Optimize now", L"지금 최적화(&O)"},
    {L"VXMainForm", L"RestoreButton", L"&Restore", L"초기화(&R)"},
    {L"VXMainForm", L"UpdatesButton", L" &Check for updates ...", L" 업데이트 체크(&C) ..."},
    {L"VXMainForm", L"HelpFilePopup", L"Get &help with Velantrix", L"Velantrix 도움말(&H)"},
    {L"VXMainForm", L"TechSupportPopup", L"&Contact technical support", L"기술 지원 연락(&C)"},
    {L"VXMainForm", L"MessageBoxReset1",
     L"This will restore all changes made to the computer's gaming and internet settings to their original "
     L"recommended values.",
     L"이 기능은 Velantrix로 설정된 값을 모두 초기화할 것입니다."},
    {L"VXMainForm", L"MessageBoxReset2", L"Click OK to continue.", L"계속하시려면 OK를 클릭하십시오."},
    {L"VXMainForm", L"MessageBoxChangeRestart1",
     L"The changes to the computer's gaming and internet performance settings have finished.",
     L"게임 및 인터넷 설정을 완료하였습니다."},
    {L"VXMainForm", L"MessageBoxChangeRestart2", L"You will need to restart Windows for the changes to become active.",
     L"완벽한 최적화를 위해서는 Windows를 재시작해야 합니다."},
    {L"VXMainForm", L"MessageBoxChangeRestart3",
     L"Click Yes to restart the computer now, or click No to restart later.",
     L"지금 재시작하시려면 Yes를, 나중에 하시려면 NO를 클릭하십시오."},
    {L"VXAboutForm", L"VXAboutForm", L"About Velantrix", L"Velantrix 정보"},
    {L"VXAboutForm", L"BannerLabel", L"More information about this software", L"이 프로그램의 더 많은 정보"},
    {L"VXAboutForm", L"VersionLabel", L"Velantrix 3  (Version : ", L"Velantrix 3  (버전 : "},
    {L"VXAboutForm", L"LicenseAgreementLabel", L"Click to view the end-user license terms",
     L"최종 소비자 계약 내용을 보시려면 클릭하세요"},
    {L"VXAboutForm", L"CopyrightWarningLabel",
     L"Warning: This computer program is protected by copyright law and international treaties.  "
     L"Unauthorized reproduction or distribution of this program, or any portion of it, may result in severe "
     L"civil and criminal penalties, and will be prosecuted to the maximum extent possible under the law.",
     L"경고: 이 프로그램은 저작권과 국제 조약에 의해 보호됩니다. 승인되지 않은 복제나 배급같은 행위등은 법에 "
     L"의해 기소될 수 있고, 민사처벌이나 형사처벌을 받을 수 있습니다."},
    {L"VXAboutForm", L"HelpButton", L"&Help", L"도움말(&H)"},
    {L"VXAboutForm", L"CloseButton", L"&Close", L"닫기(&C)"},
    {L"VXSettingsForm", L"VXSettingsForm", L"Updating computer's gaming and internet settings", L"게임 및 인터넷 설정"},
    {L"VXSettingsForm", L"MessageUpdate", L"Optimizing the computer's gaming and internet settings",
     L"게임 및 인터넷 설정을 최적화하는 중"},
    {L"VXSettingsForm", L"MessageRestore", L"Restoring the computer's gaming and internet settings",
     L"게임과 인터넷 설정을 복원하는 중"},
    {L"VXSettingsForm", L"MessageChange0", L"Finding modem information", L"모뎀 정보를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange1", L"Finding computer information", L"컴퓨터 정보를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange2", L"Finding total physical memory installed", L"물리적 RAM을 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange3", L"Finding hardware adapters", L"하드웨어 어뎁터를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange4", L"Finding display device", L"디스플레이 장치를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange5", L"Finding 3D graphics device", L"3D 그래픽 장치를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange6", L"Finding processor information", L"프로세서 정보를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange7", L"Finding input devices", L"입력 장치를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange8", L"Finding hard drives", L"하드 드라이브를 검색하는 중"},
    {L"VXSettingsForm", L"MessageChange9", L"Backing up gaming and internet settings",
     L"게임 및 인터넷 설정을 백업하는 중"},
    {L"VXSettingsForm", L"MessageChange10", L"Writing new gaming and internet settings",
     L"새로운 게임 및 인터넷 설정을 쓰는 중"},
    {L"VXSettingsForm", L"MessageChange11", L"Restoring gaming and internet settings",
     L"게임 및 인터넷 설정을 복원하는 중"},
    {L"VXUpdateForm", L"VXUpdateForm", L"Update Velantrix", L"Velantrix 업데이트"},
    {L"VXUpdateForm", L"BannerLabel", L"Download and install updates for Velantrix",
     L"Velantrix 업데이트 다운로드 및 설치"},
    {L"VXUpdateForm", L"UpdateButton", L"&Update", L"업데이트(&U)"},
    {L"VXUpdateForm", L"MessageBoxAdmin2", L"Please login to the computer as an Administrator.",
     L"관리자로 로그인 해주세요."},
    {L"VXUpdateForm", L"MessageBoxUpdate1", L"An update for this software is available to download.",
     L"업데이트를 다운로드할 수 있습니다."},
    {L"VXUpdateForm", L"MessageBoxUpdate2", L"Do you want to download and install a new version of this software?",
     L"새 버전을 다운로드하고 설치하시겠습니까?"},
    {L"VXUpdateForm", L"MessageBoxUpdateRestart3",
     L"Click Yes to restart the computer now, or click No to restart later.",
     L"지금 재시작하시려면 Yes를, 나중에 하시려면 NO를 클릭하십시오."},
};

std::wstring Table(const wchar_t* language) {
    return LoadCaptionTable(language).value_or(L"(missing)");
}

TEST(EmbeddedTables, HoldEveryRowOfTheirGroupsInOrderWithTheSameKeys) {
    const Fields english = SplitCaptionLines(Table(L"english"));
    const Fields korean = SplitCaptionLines(Table(L"korean"));
    ASSERT_EQ(english.size(), 81u);
    ASSERT_EQ(korean.size(), english.size());
    const std::pair<const wchar_t*, std::size_t> groups[] = {
        {L"VXMainForm", 31}, {L"VXAboutForm", 9}, {L"VXSettingsForm", 15}, {L"VXUpdateForm", 23}};
    std::size_t line = 0;
    for (const auto& [form, rows] : groups) {
        if (line > 0) {
            EXPECT_EQ(english[line], L"");
            EXPECT_EQ(korean[line], L"");
            ++line;
        }
        // The title row comes first.
        EXPECT_EQ(SplitCaptionRow(english[line]).at(1), form);
        for (std::size_t i = 0; i < rows; ++i, ++line) {
            const Fields en = SplitCaptionRow(english[line]);
            const Fields ko = SplitCaptionRow(korean[line]);
            ASSERT_EQ(en.size(), 3u) << english[line];
            ASSERT_EQ(ko.size(), 3u) << korean[line];
            EXPECT_EQ(en[0], form);
            EXPECT_EQ(ko[0], form);
            EXPECT_EQ(en[1], ko[1]);
            EXPECT_NE(en[2], L"") << english[line];
            EXPECT_NE(ko[2], L"") << korean[line];
        }
    }
}

TEST(EmbeddedTables, EndEveryLineWithCrLfExceptTheLast) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        const std::wstring text = Table(language);
        std::size_t crlf = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r') {
                ASSERT_LT(i + 1, text.size()) << language;
                ASSERT_EQ(text[i + 1], L'\n') << language;
                ++crlf;
            } else if (text[i] == L'\n') {
                ASSERT_EQ(text[i - 1], L'\r') << language;
            }
        }
        EXPECT_EQ(crlf, 80u) << language;
        EXPECT_EQ(text.back(), L'"') << language;
        // Two rows carry a blank after their closing quote; the splitter drops it.
        for (const wchar_t* key : {L"MessageBoxReset2, ", L"MessageBoxAdmin2, "}) {
            const std::size_t row = text.find(key);
            ASSERT_NE(row, std::wstring::npos) << language;
            const std::size_t end = text.find(L"\r\n", row);
            EXPECT_EQ(text.substr(end - 2, 2), L"\" ") << language << L" " << key;
        }
    }
}

TEST(EmbeddedTables, GiveTheTextsTheProgramLooksUp) {
    const std::wstring english = Table(L"english");
    const std::wstring korean = Table(L"korean");
    for (const Expected& e : kExpected) {
        EXPECT_EQ(FindCaption(english, e.form, e.component), e.english) << e.form << L"." << e.component;
        EXPECT_EQ(FindCaption(korean, e.form, e.component), e.korean) << e.form << L"." << e.component;
    }
    EXPECT_EQ(FindCaption(english, L"vxsettingsform", L"messagechange0"), L"Finding modem information");
    EXPECT_EQ(FindCaption(english, L"VXMainForm", L"NoSuchComponent"), L"");
    for (const std::wstring* table : {&english, &korean}) {
        const std::wstring copyright = FindCaption(*table, L"VXAboutForm", L"CopyrightLabel");
        EXPECT_NE(copyright.find(L"TOLVEN"), std::wstring::npos);
        EXPECT_NE(copyright.find(L"2015"), std::wstring::npos);
        EXPECT_NE(FindCaption(*table, L"VXAboutForm", L"LicensedMemo").find(L"www.tolven.com"), std::wstring::npos);
    }
}

TEST(EmbeddedTables, ApplyToTheMainAndAboutWindows) {
    DeleteRegValue(kSettingsRoot, kSettingsKey, L"Language", false);
    MainWindow m;
    FakeComponent& heading = m.window.Add(L"PerformanceHeadingPicture", ComponentKind::Picture);
    ApplyCaptions(m.window);
    EXPECT_EQ(m.window.Title(), L"Velantrix - Make your games and internet run faster");
    EXPECT_EQ(m.go.Caption(), L"&Optimize now");
    EXPECT_EQ(m.popup.Caption(), L"Get &help with Velantrix");
    EXPECT_EQ(m.separator.Caption(), L"-");
    EXPECT_EQ(m.benefits.Caption(), L"Benefits of Velantrix");
    EXPECT_EQ(heading.Caption(), L"");
    EXPECT_EQ(GetCaption(L"VXMainForm", L"PerformanceHeading"), L"Choose the correct settings below");

    FakeWindow about(L"VXAboutForm");
    FakeComponent& memo = about.Add(L"LicensedMemo", ComponentKind::Memo, L"line one\r\nline two");
    FakeComponent& version = about.Add(L"VersionLabel", ComponentKind::Label);
    ApplyCaptions(about);
    EXPECT_EQ(about.Title(), L"About Velantrix");
    EXPECT_EQ(memo.Caption(), GetCaption(L"VXAboutForm", L"LicensedMemo"));
    EXPECT_EQ(memo.Caption().find(L'\n'), std::wstring::npos);
    EXPECT_EQ(version.Caption(), L"Velantrix 3  (Version : ");
}

// ---- The resources of the built program -----------------------------------

TEST(ProgramResources, CarryBothTablesInTheirEncodings) {
    const std::wstring program = test::BuiltProgramPath();
    ASSERT_FALSE(program.empty()) << "VELANTRIX_EXE is not set";
    UniqueModule module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    auto bytes = [&](const wchar_t* name) {
        HRSRC info = FindResourceW(module.get(), name, RT_RCDATA);
        if (!info) return std::vector<std::byte>{};
        const auto* data = static_cast<const std::byte*>(LockResource(LoadResource(module.get(), info)));
        return std::vector<std::byte>(data, data + SizeofResource(module.get(), info));
    };

    const std::vector<std::byte> english = bytes(L"ENGLISH");
    ASSERT_GT(english.size(), 1000u);
    EXPECT_NE(english[0], std::byte{0xFF});
    EXPECT_NE(english[0], std::byte{0xFE});
    EXPECT_NE(english[0], std::byte{0xEF});
    for (std::byte b : english) {
        ASSERT_NE(b, std::byte{0}); // single bytes: a UTF-16 table would hold NULs
        ASSERT_LT(static_cast<unsigned>(b), 0x80u) << "the English texts are plain ASCII";
    }
    EXPECT_EQ(DecodeCaptionTable(english), Table(L"english"));

    const std::vector<std::byte> korean = bytes(L"KOREAN");
    ASSERT_GT(korean.size(), 1000u);
    EXPECT_EQ(korean[0], std::byte{0xFF});
    EXPECT_EQ(korean[1], std::byte{0xFE});
    EXPECT_EQ(korean.size() % 2, 0u);
    EXPECT_EQ(DecodeCaptionTable(korean), Table(L"korean"));

    // Resource names ignore case; the lookup of the program's own tables goes through the same module calls.
    EXPECT_NE(FindResourceW(module.get(), L"korean", RT_RCDATA), nullptr);
    DeleteRegValue(kSettingsRoot, kSettingsKey, L"Language", false);
    EXPECT_EQ(GetCaption(L"VXUpdateForm", L"MessageBoxUpdate2", module.get()),
              L"Do you want to download and install a new version of this software?");
    EXPECT_EQ(LoadCaptionTable(L"Korean", module.get()).value_or(L""), Table(L"korean"));
}

} // namespace
} // namespace vx::ui
