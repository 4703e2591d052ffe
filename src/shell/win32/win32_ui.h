// The window's Win32 headers: <windows.h> without what the window does not use and without its
// min and max macros, the common controls and common dialogs, and UTF-16 text (utf16.h). The OS
// layer's own <windows.h> header stays private to it.
#pragma once

#include "platform/windows_headers.h"

#include <commctrl.h>
#include <commdlg.h>

#include "platform/utf16.h"

namespace shell {}  // namespace shell
