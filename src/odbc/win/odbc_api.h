// The ODBC API of odbc32.dll, whose headers need <windows.h> first. Private to the ODBC layer;
// CMake chooses this folder or posix/.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#    define NOMINMAX
#endif
#include <windows.h>

#include <sql.h>
#include <sqlext.h>
