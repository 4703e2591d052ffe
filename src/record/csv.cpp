#include "record/csv.h"

#include <algorithm>
#include <cstring>

namespace record {

void AppendCsvField(std::string& row, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        row += text;
        return;
    }
    row += '"';
    for (;;) {
        const std::size_t quote = text.find('"');
        row += text.substr(0, quote);
        if (quote == std::string_view::npos) {
            break;
        }
        row += "\"\"";
        text.remove_prefix(quote + 1);
    }
    row += '"';
}

std::string CsvField(std::string_view text) {
    std::string field;
    AppendCsvField(field, text);
    return field;
}

void CsvReader::StartRowIfNeeded() {
    if (ready_) {
        ready_ = false;
        text_.clear();
        ends_.clear();
        fieldStart_ = 0;
        problem_ = {};
    }
    if (!rowStarted_) {
        rowStarted_ = true;
        rowLine_ = line_;
    }
}

void CsvReader::SetProblem(std::string_view problem) {
    if (problem_.empty()) {
        problem_ = problem;
    }
}

void CsvReader::EndField() {
    ends_.push_back(text_.size());
    fieldStart_ = text_.size();
}

void CsvReader::EndRow() {
    EndField();
    ready_ = true;
    rowStarted_ = false;
    readyLine_ = rowLine_;
    state_ = State::kFieldStart;
}

std::size_t CsvReader::Take(std::string_view bytes) {
    StartRowIfNeeded();
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    while (p < end) {
        switch (state_) {
            case State::kFieldStart:
                if (*p == '"') {
                    state_ = State::kQuoted;
                    ++p;
                    break;
                }
                state_ = State::kUnquoted;
                [[fallthrough]];
            case State::kUnquoted: {
                // Never past the row's limit, so that a long row is cut at the same byte
                // whatever the pieces.
                const char* const stop = p + std::min(Room(), static_cast<std::size_t>(end - p));
                const char* q = p;
                while (q < stop && *q != ',' && *q != '\n') {
                    ++q;
                }
                text_.append(p, static_cast<std::size_t>(q - p));
                p = q;
                if (p == stop) {
                    break;
                }
                if (*p == ',') {
                    EndField();
                    state_ = State::kFieldStart;
                    ++p;
                    break;
                }
                // A line feed: the row ends; a CR before it belongs to the line break.
                if (text_.size() > fieldStart_ && text_.back() == '\r') {
                    text_.pop_back();
                }
                ++line_;
                EndRow();
                return static_cast<std::size_t>(p + 1 - begin);
            }
            case State::kQuoted: {
                const char* const stop = p + std::min(Room(), static_cast<std::size_t>(end - p));
                const void* found = std::memchr(p, '"', static_cast<std::size_t>(stop - p));
                const char* q = found ? static_cast<const char*>(found) : stop;
                line_ += static_cast<std::uint64_t>(std::count(p, q, '\n'));
                text_.append(p, static_cast<std::size_t>(q - p));
                p = q;
                if (found) {
                    state_ = State::kQuoteInQuoted;
                    ++p;
                }
                break;
            }
            case State::kQuoteInQuoted:
                if (*p == '"') {
                    text_ += '"';
                    state_ = State::kQuoted;
                    ++p;
                } else if (*p == ',') {
                    EndField();
                    state_ = State::kFieldStart;
                    ++p;
                } else if (*p == '\r') {
                    state_ = State::kCrAfterQuote;
                    ++p;
                } else if (*p == '\n') {
                    ++line_;
                    EndRow();
                    return static_cast<std::size_t>(p + 1 - begin);
                } else {
                    SetProblem("text after a closing quote");
                    state_ = State::kUnquoted;
                }
                break;
            case State::kCrAfterQuote:
                if (*p == '\n') {
                    ++line_;
                    EndRow();
                    return static_cast<std::size_t>(p + 1 - begin);
                }
                SetProblem("text after a closing quote");
                text_ += '\r';
                state_ = State::kUnquoted;
                break;
            case State::kSkipping: {
                const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                if (!found) {
                    p = end;
                    break;
                }
                p = static_cast<const char*>(found);
                ++line_;
                EndRow();
                return static_cast<std::size_t>(p + 1 - begin);
            }
        }
        if (text_.size() > longestRow_ && state_ != State::kSkipping) {
            SetProblem("the row is too long");
            // Keep what fits; the rest of the row up to the next line feed is dropped.
            text_.resize(longestRow_);
            fieldStart_ = std::min(fieldStart_, text_.size());
            state_ = State::kSkipping;
        }
    }
    return bytes.size();
}

bool CsvReader::Finish() {
    StartRowIfNeeded();
    const bool pending =
        rowStarted_ && (state_ != State::kFieldStart || !ends_.empty() || !text_.empty());
    if (pending) {
        if (state_ == State::kQuoted) {
            SetProblem("a quote is not closed");
        }
        if (state_ == State::kUnquoted && text_.size() > fieldStart_ && text_.back() == '\r') {
            text_.pop_back();
        }
        if (state_ == State::kCrAfterQuote) {
            state_ = State::kFieldStart;
        }
        EndRow();
    } else {
        ready_ = false;
    }
    rowStarted_ = false;
    state_ = State::kFieldStart;
    line_ = 1;
    return pending;
}

}  // namespace record
