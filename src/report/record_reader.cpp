#include "report/record_reader.h"

#include <array>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "record/csv.h"
#include "record/record_columns.h"
#include "record/record_layout.h"

namespace report {

namespace {

using record::Column;

constexpr std::size_t kPiece = 256 * 1024;

class FileReader {
public:
    FileReader(const RecordFile& file, RecordSink& sink) : file_(file), sink_(sink) {}

    // The row the CSV reader has ready.
    void OnRow(const record::CsvReader& row) {
        if (skipping_) {
            return;
        }
        if (!layout_) {
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
        if (row.FieldCount() < layout_->HeaderFields()) {
            Bad(row.Line(), "it has " + std::to_string(row.FieldCount()) +
                                " fields, its file's header " +
                                std::to_string(layout_->HeaderFields()));
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
        layout_.emplace(row);
        if (!layout_->IsRecord()) {
            Bad(row.Line(), "not a production record: its header names no time and verdict column");
            skipping_ = true;
        }
    }

    void ReadPress(const record::CsvReader& row) {
        RowFields fields;
        for (std::size_t c = 0; c < record::kKnownColumns; ++c) {
            fields[c] = layout_->FieldOf(row, static_cast<Column>(c));
        }
        Press press;
        std::string reason = PressOf(fields, press);
        if (reason.empty() && press.time.day != file_.day) {
            reason = "its time is not of the file's day";
        }
        if (!reason.empty()) {
            return Bad(row.Line(), std::move(reason));
        }
        sink_.OnPress(press);
    }

    const RecordFile& file_;
    RecordSink& sink_;
    std::optional<record::RecordLayout> layout_;  // once the header is read
    bool skipping_ = false;
};

// Reads an optional number field into value, left alone when the field is empty; false when
// the field is not a number of at most maxDigits digits.
bool OptionalNumber(std::string_view text, std::size_t maxDigits,
                    std::optional<std::uint64_t>& value) {
    if (text.empty()) {
        return true;
    }
    value = ParseDecimal(text, maxDigits);
    return value.has_value();
}

// The press's fields that a row may leave empty: error_code, run_ms, device_id, serial_number.
std::string NumbersOf(const RowFields& fields, Press& press) {
    const auto field = [&](Column column) { return fields[record::IndexOf(column)]; };
    std::optional<std::uint64_t> code, runMs;
    if (!OptionalNumber(field(Column::kErrorCode), 9, code)) {
        return "error_code is not a number";
    }
    press.errorCode = code ? static_cast<int>(*code) : press.errorCode;
    if (!OptionalNumber(field(Column::kRunMs), 9, runMs)) {
        return "run_ms is not a number";
    }
    press.runMs = runMs ? std::optional(static_cast<std::uint32_t>(*runMs)) : press.runMs;
    const std::string_view deviceId = field(Column::kDeviceId);
    if (!deviceId.empty()) {
        press.deviceId = ParseDeviceId(deviceId);
        if (!press.deviceId) {
            return "device_id is not 16 hexadecimal digits";
        }
    }
    if (!OptionalNumber(field(Column::kSerialNumber), 19, press.serialNumber)) {
        return "serial_number is not a decimal number";
    }
    return "";
}

}  // namespace

std::string PressOf(const RowFields& fields, Press& press) {
    const auto field = [&](Column column) { return fields[record::IndexOf(column)]; };
    press.timeText = field(Column::kTime);
    const auto time = ParseRecordTime(press.timeText);
    if (!time) {
        return "time is not yyyy-mm-ddThh:mm:ss.zzz";
    }
    press.time = *time;
    const std::string_view verdict = field(Column::kVerdict);
    if (verdict != "PASS" && verdict != "FAIL") {
        return "verdict is neither PASS nor FAIL";
    }
    press.pass = verdict == "PASS";
    press.title = field(Column::kTitle);
    press.stationFolder = field(Column::kStationFolder);
    press.fixture = field(Column::kFixture);
    return NumbersOf(fields, press);
}

std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::size_t maxDigits) {
    return text.size() <= maxDigits ? os::DecimalNumber(text) : std::nullopt;
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
                if (piece.substr(0, record::kByteOrderMark.size()) == record::kByteOrderMark) {
                    piece.remove_prefix(record::kByteOrderMark.size());
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
