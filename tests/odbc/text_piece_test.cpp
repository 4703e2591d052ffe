#include "odbc/text_piece.h"

#include <gtest/gtest.h>

namespace {

using odbc::kNoTotal;

TEST(TextPieceOf, NeverReachesBeyondTheBufferWhateverLengthTheDriverGives) {
    // A buffer of 8 units: 7 of text and the terminator's.
    const std::u16string full = u"abcdefgh";
    const std::u16string_view shortText(u"abc\0efgh", 8);
    const struct {
        std::u16string_view buffer;
        std::int64_t indicator;
        std::size_t units;
        bool last;
    } cases[] = {
        {shortText, 6, 3, true},         // the rest, whole
        {full, 14, 7, true},             // fills the buffer exactly
        {full, 100, 7, false},           // the first piece of a longer text
        {full, 1 << 30, 7, false},       // a length beyond the buffer is not trusted
        {shortText, kNoTotal, 3, true},  // no length: up to the terminator
        {full, kNoTotal, 7, false},      // no length, full buffer: read on
        {shortText, -7, 3, true},        // any other negative length alike
        {std::u16string_view(u"\0bcdefgh", 8), 0, 0, true},
    };
    for (const auto& c : cases) {
        const odbc::TextPiece piece = odbc::TextPieceOf(c.buffer, c.indicator);
        EXPECT_EQ(piece.units, c.units) << c.indicator;
        EXPECT_EQ(piece.last, c.last) << c.indicator;
    }
}

}  // namespace
