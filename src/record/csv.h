// RFC 4180 text, one field and one row at a time: the writer the station's record uses, and a
// streaming reader that takes the bytes in pieces of any size and hands out one row at a time,
// without keeping more than that row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace record {

// Appends one field to row: as it is, or quoted when it holds a comma, a double quote, CR or LF,
// with the quotes inside doubled.
void AppendCsvField(std::string& row, std::string_view text);
// One field as AppendCsvField writes it.
std::string CsvField(std::string_view text);
// One row of fields (strings), each as AppendCsvField writes it, CR LF included.
template <typename Fields>
std::string RowText(const Fields& fields) {
    std::string row;
    bool first = true;
    for (const auto& field : fields) {
        if (!first) {
            row += ',';
        }
        first = false;
        AppendCsvField(row, field);
    }
    return row + "\r\n";
}

// Reads RFC 4180 rows from bytes that arrive in pieces. A row ends at a line feed outside quotes
// (a CR before it is dropped, so CR LF and LF rows both read); a quoted field holds commas, line
// breaks and doubled quotes. The reader is lenient where a spreadsheet is: a quote inside an
// unquoted field is kept as it is. What RFC 4180 forbids and a spreadsheet would misread is
// reported as the row's problem, and the reader goes on with the next row.
//
//     CsvReader reader;
//     while (piece of input) {
//         while (!piece.empty()) {
//             piece.remove_prefix(reader.Take(piece));
//             if (reader.Ready()) use(reader);
//         }
//     }
//     if (reader.Finish()) use(reader);
class CsvReader {
public:
    // A row longer than this many bytes is cut: its problem says so, and the reader skips to the
    // next line feed (a quote left open by mistake cannot swallow the rest of a file).
    static constexpr std::size_t kDefaultLongestRow = std::size_t{32} << 20;
    explicit CsvReader(std::size_t longestRow = kDefaultLongestRow) : longestRow_(longestRow) {}

    // Reads bytes up to and including the end of the first row that ends in them, and returns
    // how many bytes it took. The row is then Ready() until the next call. Bytes of a row that has
    // not ended yet are kept for the next call.
    std::size_t Take(std::string_view bytes);
    // The end of the input: a last row without a line break becomes ready. Returns whether there
    // was one. The reader can then start on new input (line 1).
    bool Finish();

    bool Ready() const { return ready_; }
    // The ready row's fields; they stay valid until the next Take or Finish.
    std::size_t FieldCount() const { return ends_.size(); }
    std::string_view Field(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }
    // True for an empty line: one empty field.
    bool Blank() const { return ends_.size() == 1 && ends_[0] == 0; }
    // The line the ready row starts on, counting from 1 (a quoted line break starts a new line).
    std::uint64_t Line() const { return readyLine_; }
    // What is wrong with the ready row, or "" when nothing is: text after a closing quote, a
    // quote that is never closed, a row that was too long.
    std::string_view Problem() const { return problem_; }

private:
    enum class State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted, kCrAfterQuote, kSkipping };

    void EndField();
    void EndRow();
    void StartRowIfNeeded();
    void SetProblem(std::string_view problem);
    // How many more bytes the row may take before it is one too long.
    std::size_t Room() const { return longestRow_ + 1 - text_.size(); }

    const std::size_t longestRow_;
    State state_ = State::kFieldStart;
    std::string text_;               // the current row's fields, one after the other
    std::vector<std::size_t> ends_;  // where each field of the row ends in text_
    std::size_t fieldStart_ = 0;     // where the current field starts in text_
    std::string_view problem_;
    bool ready_ = false;
    bool rowStarted_ = false;
    std::uint64_t line_ = 1;     // the line the next byte is on
    std::uint64_t rowLine_ = 1;  // the line the current row started on
    std::uint64_t readyLine_ = 0;
};

// Reads the whole of text, a record at hand, with reader: take() is called whenever a row is
// ready (reader.Field and the rest then describe it), a last row without a line break included.
template <typename Take>
void ForEachCsvRow(CsvReader& reader, std::string_view text, Take&& take) {
    while (!text.empty()) {
        text.remove_prefix(reader.Take(text));
        if (reader.Ready()) {
            take();
        }
    }
    if (reader.Finish()) {
        take();
    }
}

}  // namespace record
