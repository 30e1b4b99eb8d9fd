#include "updater/UpdaterTexts.h"

#include "core/Settings.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <string>

namespace vx::updater {

namespace {

struct Pair {
    std::wstring_view english;
    std::wstring_view korean;
};

std::wstring_view Pick(Language language, const Pair& pair) noexcept {
    return language == Language::Korean ? pair.korean : pair.english;
}

constexpr std::array<Pair, 5> kUiTexts{{
    {L"Update Velantrix", L"Velantrix 업데이트"},
    {L"Cancel", L"취소"},
    {L"Close", L"닫기"},
    {L"Start Velantrix", L"Velantrix 시작"},
    {L"Cancelling the update...", L"업데이트를 취소하고 있습니다..."},
}};

constexpr std::array<Pair, 5> kStepTexts{{
    {L"Looking for a new version of Velantrix...", L"Velantrix의 새 버전을 찾고 있습니다..."},
    {L"Checking the signature of the release information...", L"릴리스 정보의 서명을 확인하고 있습니다..."},
    {L"Downloading the new version...", L"새 버전을 다운로드하고 있습니다..."},
    {L"Checking the downloaded installer...", L"다운로드한 설치 프로그램을 확인하고 있습니다..."},
    {L"Installing the new version...", L"새 버전을 설치하고 있습니다..."},
}};

// In the order of UpdateOutcome.
constexpr std::array<Pair, 15> kOutcomeTexts{{
    {L"Velantrix was updated. Do you want to start it now?", L"Velantrix가 업데이트되었습니다. 지금 시작하시겠습니까?"},
    {L"You already have the latest version of Velantrix.", L"이미 최신 버전의 Velantrix가 설치되어 있습니다."},
    {L"The update server could not be reached: please check your Internet connection.",
     L"업데이트 서버에 연결할 수 없습니다. 인터넷 연결을 확인해 주세요."},
    {L"The update server did not answer in time, so nothing was changed.",
     L"업데이트 서버가 제시간에 응답하지 않아 아무것도 변경하지 않았습니다."},
    {L"The update server answered with an error, so nothing was changed.",
     L"업데이트 서버가 오류를 보내 아무것도 변경하지 않았습니다."},
    {L"The release information is not signed by TOLVEN, so nothing was installed.",
     L"릴리스 정보에 TOLVEN의 서명이 없어 아무것도 설치하지 않았습니다."},
    {L"This system cannot check the signature of the update, so nothing was installed.",
     L"이 시스템에서는 업데이트의 서명을 확인할 수 없어 아무것도 설치하지 않았습니다."},
    {L"The release information could not be read, so nothing was installed.",
     L"릴리스 정보를 읽을 수 없어 아무것도 설치하지 않았습니다."},
    {L"The release information is for another product, so nothing was installed.",
     L"릴리스 정보가 다른 제품의 것이어서 아무것도 설치하지 않았습니다."},
    {L"The release information names a file outside the update folder, so nothing was installed.",
     L"릴리스 정보가 업데이트 폴더 밖의 파일을 가리켜 아무것도 설치하지 않았습니다."},
    {L"The download was larger than announced, so it was deleted and nothing was installed.",
     L"다운로드가 알려진 크기보다 커서 삭제했으며 아무것도 설치하지 않았습니다."},
    {L"The downloaded installer does not match the release information, so it was deleted and nothing was installed.",
     L"다운로드한 설치 프로그램이 릴리스 정보와 일치하지 않아 삭제했으며 아무것도 설치하지 않았습니다."},
    {L"The update could not be saved on this computer, so nothing was installed.",
     L"업데이트를 이 컴퓨터에 저장할 수 없어 아무것도 설치하지 않았습니다."},
    {L"The update failed: the installer did not finish its work.",
     L"업데이트에 실패했습니다. 설치 프로그램이 작업을 마치지 못했습니다."},
    {L"The update was cancelled and nothing was changed.", L"업데이트를 취소했으며 아무것도 변경하지 않았습니다."},
}};

} // namespace

Language CurrentLanguage() noexcept {
    try {
        std::wstring name = settings::Language();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
        return name == L"korean" ? Language::Korean : Language::English;
    } catch (...) {
        return Language::English;
    }
}

std::wstring_view InstallerLanguage(Language language) noexcept {
    return language == Language::Korean ? L"korean" : L"english";
}

std::wstring_view Text(Language language, UiText text) noexcept {
    return Pick(language, kUiTexts[static_cast<std::size_t>(text)]);
}

std::wstring_view StepText(Language language, UpdateStep step) noexcept {
    return Pick(language, kStepTexts[static_cast<std::size_t>(step)]);
}

std::wstring_view OutcomeText(Language language, UpdateOutcome outcome) noexcept {
    return Pick(language, kOutcomeTexts[static_cast<std::size_t>(outcome)]);
}

} // namespace vx::updater
