// <windows.h> as every Win32 part of the program takes it, written once: without what the program
// does not use, without its min and max macros, and without the macros of its A/W calls that
// collide with the OS layer's own names. Included only by the OS layer, the ODBC layer and the
// Win32 window.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#    define NOMINMAX
#endif
#include <windows.h>

#undef GetProfileString
#undef ReplaceFile
