// The window's Win32 headers: <windows.h> through the OS layer's header (WIN32_LEAN_AND_MEAN,
// NOMINMAX, UTF-8 <-> UTF-16), plus the common controls and common dialogs it leaves out.
#pragma once

#include "win32.h"

#include <commctrl.h>
#include <commdlg.h>
