// What the operator reads of the factory's database: the window's line of its state, and the
// check's 114 line when the pool gives no number.
#pragma once

#include <string>

#include "database/database_status.h"

namespace station {

// For the window, one line: "数据库：已连接", "数据库：12 条待发送", "数据库：无法连接（<the
// reason's first line, cut short>），12 条待发送", each followed by "，N 条被拒收（见日志）" when
// rows were refused; "" when off.
std::string StatusText(const database::DatabaseStatus& status);

// Why an answer has no range, as the 114 line says it ("数据库中的序列号池board已用完").
std::string SerialBlockReason(const database::SerialBlockAnswer& answer);
// The check's 114 line for an answer without a range.
std::string SerialBlockMessage(const database::SerialBlockAnswer& answer);

}  // namespace station
