// Any bytes as a production record: the reader never fails, reads the same rows (fields, lines,
// problems) however the bytes are split into pieces, and a row it read without a problem, written
// again field by field, reads back as the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "record/csv.h"

namespace {

struct Row {
    std::vector<std::string> fields;
    std::uint64_t line;
    std::string problem;
    bool operator==(const Row& other) const {
        return fields == other.fields && line == other.line && problem == other.problem;
    }
};

// The rows of bytes fed in pieces of the sizes the bytes choose (0: whole).
std::vector<Row> Read(std::string_view bytes, bool pieces, std::size_t longest = 1024) {
    std::vector<Row> rows;
    record::CsvReader reader(longest);
    const auto keep = [&] {
        Row row{{}, reader.Line(), std::string(reader.Problem())};
        for (std::size_t i = 0; i < reader.FieldCount(); ++i) {
            row.fields.emplace_back(reader.Field(i));
        }
        rows.push_back(std::move(row));
    };
    for (std::size_t at = 0, k = 0; at < bytes.size(); ++k) {
        const std::size_t length =
            pieces ? 1 + static_cast<unsigned char>(bytes[k % bytes.size()]) % 9 : bytes.size();
        std::string_view piece = bytes.substr(at, length);
        at += piece.size();
        while (!piece.empty()) {
            piece.remove_prefix(reader.Take(piece));
            if (reader.Ready()) {
                keep();
            }
        }
    }
    if (reader.Finish()) {
        keep();
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<Row> whole = Read(bytes, false);
    if (Read(bytes, true) != whole) {
        std::abort();
    }
    for (const Row& row : whole) {
        if (!row.problem.empty()) {
            continue;
        }
        std::string text;
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            if (i > 0) {
                text += ',';
            }
            record::AppendCsvField(text, row.fields[i]);
        }
        const std::vector<Row> again =
            Read(text + "\r\n", false, record::CsvReader::kDefaultLongestRow);
        if (again.size() != 1 || again[0].fields != row.fields) {
            std::abort();
        }
    }
    return 0;
}
