// The ODBC API of unixODBC. Private to the ODBC layer; CMake chooses this folder or win/.
#pragma once

#include <sql.h>
#include <sqlext.h>
