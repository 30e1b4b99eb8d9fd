// Texts and numbers that more than one part of the program relies on.
// Each lives here once; everything else refers to these names.
#pragma once

#include <windows.h>

#include "core/Version.h"

namespace vx {

// The program's version, shown on the main and About windows and sent with the update query.
inline constexpr wchar_t kVersionText[] = L"" VX_VERSION_STRING;

// The settings key: every value the program keeps for itself lies here.
inline const HKEY kSettingsRoot = HKEY_LOCAL_MACHINE;
inline constexpr wchar_t kSettingsKey[] = L"\\Software\\TOLVEN\\Velantrix\\";

// The vendor's web site; the update query goes to the same host.
inline constexpr wchar_t kVendorHost[] = L"www.tolven.com";
inline constexpr wchar_t kVendorHomeUrl[] = L"http://www.tolven.com/";
inline constexpr wchar_t kVendorSupportUrl[] = L"http://www.tolven.com/support/";

// Window class names; a second process finds a running instance by them.
inline constexpr wchar_t kMainFormClass[] = L"TVXMainForm";
inline constexpr wchar_t kAboutFormClass[] = L"TVXAboutForm";
inline constexpr wchar_t kSettingsFormClass[] = L"TVXSettingsForm";

// The first argument that selects the update-check mode (compared lower-cased).
inline constexpr wchar_t kCheckUpdateArgument[] = L"/checkupdate";
// The first arguments of the command-line modes for the uninstaller and for administrators.
inline constexpr wchar_t kRestoreArgument[] = L"/restore";
inline constexpr wchar_t kOptimizeArgument[] = L"/optimize";
inline constexpr wchar_t kStatusArgument[] = L"/status";
inline constexpr wchar_t kUsageArgument[] = L"/?";

// Files in the program folder.
inline constexpr wchar_t kProgramFileName[] = L"Velantrix.exe";
inline constexpr wchar_t kUpdaterFileName[] = L"VelantrixUpdate.exe";
inline constexpr wchar_t kHelpFileName[] = L"Velantrix.chm";
inline constexpr wchar_t kHelpTopic[] = L"/html/main.htm";
inline constexpr wchar_t kLicenseFileName[] = L"License.rtf";

} // namespace vx
