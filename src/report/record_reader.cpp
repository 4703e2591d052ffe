#include "record_reader.h"

#include <array>
#include <vector>

#include "csv.h"
#include "files.h"
#include "record_columns.h"

namespace report {

namespace {

using record::Column;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kPiece = 256 * 1024;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Which field of a row holds each known column.
using Layout = std::array<std::size_t, record::kKnownColumns>;

class FileReader {
public:
    FileReader(const RecordFile& file, RecordSink& sink) : file_(file), sink_(sink) {
        layout_.fill(kNone);
    }

    // The row the CSV reader has ready.
    void OnRow(const record::CsvReader& row) {
        if (skipping_) {
            return;
        }
        if (!headerRead_) {
            ReadHeader(row);
            return;
        }
        if (row.Blank()) {
            return;
        }
        if (!row.Problem().empty()) {
            Bad(row.Line(), std::string(row.Problem()));
            return;
        }
        if (row.FieldCount() < headerFields_) {
            Bad(row.Line(), "it has " + std::to_string(row.FieldCount()) +
                                " fields, its file's header " + std::to_string(headerFields_));
            return;
        }
        ReadPress(row);
    }

    void Bad(std::uint64_t line, std::string reason) {
        sink_.OnBadRow({file_.path, line, std::move(reason)});
    }

    bool Skipping() const { return skipping_; }

private:
    void ReadHeader(const record::CsvReader& row) {
        headerRead_ = true;
        headerFields_ = row.FieldCount();
        for (std::size_t i = 0; i < row.FieldCount(); ++i) {
            const auto column = record::ColumnNamed(row.Field(i));
            if (column && layout_[record::IndexOf(*column)] == kNone) {
                layout_[record::IndexOf(*column)] = i;
            }
        }
        if (!row.Problem().empty() || layout_[record::IndexOf(Column::kTime)] == kNone ||
            layout_[record::IndexOf(Column::kVerdict)] == kNone) {
            Bad(row.Line(), "not a production record: its header names no time and verdict column");
            skipping_ = true;
        }
    }

    // The field of column in row; "" when the row has none.
    std::string_view FieldOf(const record::CsvReader& row, Column column) const {
        const std::size_t c = record::IndexOf(column);
        std::size_t at = layout_[c];
        // A field past the header's end is read by the station's own order.
        if (at == kNone && c >= headerFields_) {
            at = c;
        }
        return at < row.FieldCount() ? row.Field(at) : std::string_view();
    }

    void ReadPress(const record::CsvReader& row) {
        Press press;
        press.timeText = FieldOf(row, Column::kTime);
        const auto time = ParseRecordTime(press.timeText);
        if (!time) {
            return Bad(row.Line(), "time is not yyyy-mm-ddThh:mm:ss.zzz");
        }
        if (time->day != file_.day) {
            return Bad(row.Line(), "its time is not of the file's day");
        }
        press.time = *time;
        const std::string_view verdict = FieldOf(row, Column::kVerdict);
        if (verdict != "PASS" && verdict != "FAIL") {
            return Bad(row.Line(), "verdict is neither PASS nor FAIL");
        }
        press.pass = verdict == "PASS";
        press.title = FieldOf(row, Column::kTitle);
        press.stationFolder = FieldOf(row, Column::kStationFolder);
        const std::string_view code = FieldOf(row, Column::kErrorCode);
        if (!code.empty()) {
            const auto value = ParseDecimal(code, 9);
            if (!value) {
                return Bad(row.Line(), "error_code is not a number");
            }
            press.errorCode = static_cast<int>(*value);
        }
        const std::string_view runMs = FieldOf(row, Column::kRunMs);
        if (!runMs.empty()) {
            const auto value = ParseDecimal(runMs, 9);
            if (!value) {
                return Bad(row.Line(), "run_ms is not a number");
            }
            press.runMs = static_cast<std::uint32_t>(*value);
        }
        const std::string_view deviceId = FieldOf(row, Column::kDeviceId);
        if (!deviceId.empty()) {
            press.deviceId = ParseDeviceId(deviceId);
            if (!press.deviceId) {
                return Bad(row.Line(), "device_id is not 16 hexadecimal digits");
            }
        }
        const std::string_view serial = FieldOf(row, Column::kSerialNumber);
        if (!serial.empty()) {
            press.serialNumber = ParseDecimal(serial, 19);
            if (!press.serialNumber) {
                return Bad(row.Line(), "serial_number is not a decimal number");
            }
        }
        sink_.OnPress(press);
    }

    const RecordFile& file_;
    RecordSink& sink_;
    Layout layout_{};
    std::size_t headerFields_ = 0;
    bool headerRead_ = false;
    bool skipping_ = false;
};

}  // namespace

std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<std::uint64_t> ParseDeviceId(std::string_view text) {
    if (text.size() != 16) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::string DeviceIdText(std::uint64_t id) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, id >>= 4) {
        text[static_cast<std::size_t>(i)] = kHex[id & 15];
    }
    return text;
}

void ReadRecordFile(const RecordFile& file, RecordSink& sink) {
    FileReader reader(file, sink);
    record::CsvReader csv;
    std::vector<char> buffer(kPiece);
    bool first = true;
    try {
        os::File input = os::OpenForReading(file.path, os::Share::kReadWrite);
        for (;;) {
            const std::size_t size = input.Read(buffer.data(), buffer.size());
            if (size == 0) {
                break;
            }
            std::string_view piece(buffer.data(), size);
            if (first) {
                first = false;
                // A piece of 256 KiB always holds the whole mark when there is one.
                if (piece.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
                    piece.remove_prefix(kByteOrderMark.size());
                }
            }
            while (!piece.empty() && !reader.Skipping()) {
                piece.remove_prefix(csv.Take(piece));
                if (csv.Ready()) {
                    reader.OnRow(csv);
                }
            }
            if (reader.Skipping()) {
                return;
            }
        }
    } catch (const os::FileError& error) {
        reader.Bad(0, error.what());
        return;
    }
    if (csv.Finish()) {
        reader.OnRow(csv);
    }
}

}  // namespace report
