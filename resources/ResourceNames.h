// Names of the resources in Art.rc, for FindResourceW and LoadIconW. The
// pictures are PNG files stored as RT_RCDATA; each image list is one strip of
// 16 x 16 images side by side.
#pragma once

namespace vx::res {

inline constexpr wchar_t kMainIcon[] = L"MAINICON";  // RT_GROUP_ICON
inline constexpr wchar_t kClickSound[] = L"CLICK";   // resource type "WAVE"
inline constexpr wchar_t kWaveType[] = L"WAVE";

// Main window.
inline constexpr wchar_t kBackground[] = L"BACKGROUND"; // 764 x 500
inline constexpr wchar_t kTopLogo[] = L"TOPLOGO";       // 400 x 50
inline constexpr wchar_t kNavButton1[] = L"NAVBUTTON1"; // 78 x 27, help
inline constexpr wchar_t kNavButton2[] = L"NAVBUTTON2"; // 85 x 27, home
inline constexpr wchar_t kNavButton3[] = L"NAVBUTTON3"; // 108 x 27, support
inline constexpr wchar_t kNavButton4[] = L"NAVBUTTON4"; // 99 x 27, About
inline constexpr wchar_t kImageList1[] = L"IMAGELIST1"; // 2 images: desktop, server editions
inline constexpr wchar_t kImageList2[] = L"IMAGELIST2"; // 1 image: processor
inline constexpr wchar_t kImageList3[] = L"IMAGELIST3"; // 1 image: network
inline constexpr int kImageListImageSize = 16;

// About window.
inline constexpr wchar_t kBanner[] = L"BANNER";       // 700 x 60
inline constexpr wchar_t kLargeIcon[] = L"LARGEICON"; // 256 x 256

} // namespace vx::res
