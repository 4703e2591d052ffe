#include "record/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct ReadRow {
    std::vector<std::string> fields;
    std::uint64_t line;
    std::string problem;
};

// Reads text handed over in pieces of piece bytes.
std::vector<ReadRow> ReadInPieces(std::string_view text, std::size_t piece,
                                  std::size_t longest = record::CsvReader::kDefaultLongestRow) {
    std::vector<ReadRow> rows;
    record::CsvReader reader(longest);
    const auto keep = [&] {
        ReadRow row{{}, reader.Line(), std::string(reader.Problem())};
        for (std::size_t i = 0; i < reader.FieldCount(); ++i) {
            row.fields.emplace_back(reader.Field(i));
        }
        rows.push_back(row);
    };
    while (!text.empty()) {
        std::string_view chunk = text.substr(0, piece);
        text.remove_prefix(chunk.size());
        while (!chunk.empty()) {
            chunk.remove_prefix(reader.Take(chunk));
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

Rows FieldsOf(const std::vector<ReadRow>& rows) {
    Rows fields;
    for (const ReadRow& row : rows) {
        fields.push_back(row.fields);
    }
    return fields;
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"C:\\Station\\", "C:\\Station\\"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\n", "\"lf\n\""},
        {"\"", "\"\"\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(record::CsvField(c.text), c.field) << c.text;
    }
}

TEST(CsvReader, ReadsRowsWhateverThePieces) {
    const std::string text =
        "a,b,c\r\n\"x,1\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n,,\r\nlast,row";
    const Rows expected = {
        {"a", "b", "c"}, {"x,1", "say \"hi\"", "two\r\nlines"}, {"", "", ""}, {"last", "row"}};
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, text.size()}) {
        const auto rows = ReadInPieces(text, piece);
        EXPECT_EQ(FieldsOf(rows), expected) << "pieces of " << piece;
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[1].line, 2u);
        EXPECT_EQ(rows[2].line, 4u) << "the quoted line break counts as a line";
        EXPECT_EQ(rows[3].line, 5u);
        for (const ReadRow& row : rows) {
            EXPECT_EQ(row.problem, "");
        }
    }
}

TEST(CsvReader, WriterAndReaderAgree) {
    const std::vector<std::string> fields = {"",      "plain",  "a,b",
                                             "\"q\"", "x\r\ny", "\xE7\xAB\x99 \xED\x95\x9C"};
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += ',';
        }
        record::AppendCsvField(row, fields[i]);
    }
    EXPECT_EQ(FieldsOf(ReadInPieces(row + "\r\n", 3)), Rows{fields});
}

TEST(CsvReader, TakesLfRowsAndKeepsStrayQuotes) {
    EXPECT_EQ(FieldsOf(ReadInPieces("a,b\nc,d\n", 2)), (Rows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(FieldsOf(ReadInPieces("5\" disk,x\r\n", 4)), (Rows{{"5\" disk", "x"}}));
    EXPECT_EQ(FieldsOf(ReadInPieces("\r\n", 1)), (Rows{{""}}));
}

TEST(CsvReader, NamesBrokenQuotingAndGoesOn) {
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"\"closed\"junk,b\r\nnext,row\r\n", "text after a closing quote"},
        {"\"closed\"\rx,b\r\nnext,row\r\n", "text after a closing quote"},
        {"ok,\"never closed\r\n", "a quote is not closed"},
    };
    for (const auto& c : cases) {
        const auto rows = ReadInPieces(c.text, 5);
        ASSERT_FALSE(rows.empty()) << c.text;
        EXPECT_EQ(rows[0].problem, c.problem) << c.text;
        if (std::string(c.problem) != "a quote is not closed") {
            ASSERT_EQ(rows.size(), 2u) << c.text;
            EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"next", "row"}));
            EXPECT_EQ(rows[1].problem, "");
        }
    }
}

TEST(CsvReader, CutsARowTooLongAndResumesAtTheNextLine) {
    const std::string text =
        "\"an open quote, and far too long" + std::string(100, 'x') + "\r\nnext,row\r\n";
    const auto rows = ReadInPieces(text, 16, 40);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].problem, "the row is too long");
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"next", "row"}));
    EXPECT_EQ(rows[1].line, 2u);
}

TEST(CsvReader, BlankIsOneEmptyField) {
    record::CsvReader reader;
    std::string_view text = "\r\nx\r\n";
    text.remove_prefix(reader.Take(text));
    ASSERT_TRUE(reader.Ready());
    EXPECT_TRUE(reader.Blank());
    reader.Take(text);
    ASSERT_TRUE(reader.Ready());
    EXPECT_FALSE(reader.Blank());
}

}  // namespace
