/* The program's version, once. Plain macros only: the resource compiler reads this file too. */
#pragma once

#define VX_VERSION_MAJOR 3
#define VX_VERSION_MINOR 12
#define VX_VERSION_RELEASE 7
#define VX_VERSION_BUILD 2015

#define VX_STRINGIZE2(x) #x
#define VX_STRINGIZE(x) VX_STRINGIZE2(x)
#define VX_VERSION_STRING                                                                                              \
    VX_STRINGIZE(VX_VERSION_MAJOR)                                                                                     \
    "." VX_STRINGIZE(VX_VERSION_MINOR) "." VX_STRINGIZE(VX_VERSION_RELEASE) "." VX_STRINGIZE(VX_VERSION_BUILD)
