// The ODBC API of odbc32.dll, whose headers need <windows.h> first. Private to the ODBC layer;
// CMake chooses this folder or posix/.
#pragma once

#include "platform/windows_headers.h"

#include <sql.h>
#include <sqlext.h>
