#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tool/output_capture.h"

namespace {

using tool::OutputCapture;

// The text of bytes appended in reads of readSize bytes (the last one shorter).
std::string TextInReads(const std::string& bytes, std::size_t readSize,
                        std::size_t bound = OutputCapture::kDefaultBound) {
    OutputCapture capture(bound);
    for (std::size_t at = 0; at < bytes.size(); at += readSize) {
        capture.Append(bytes.data() + at, std::min(readSize, bytes.size() - at));
    }
    return capture.Text();
}

const std::size_t kReadSizes[] = {1, 2, 7, 254, 255, 256, 1000, 65536};

TEST(OutputCapture, PiecesOf255BytesAreCutAtTheirFirstZeroWhateverTheReads) {
    const std::string a254(254, 'a');
    const std::string b255(255, 'b');
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"plain\n", "plain\n"},
        {std::string("one\0two\r\n", 9), "one"},
        {std::string("\0", 1) + a254 + "next", "next"},         // cut at its start
        {a254 + std::string("\0", 1) + "next", a254 + "next"},  // zero last in piece
        {a254 + "x" + std::string("\0", 1) + "y", a254 + "x"},  // zero first in next
        {b255 + std::string("c\0d", 3) + b255, b255 + "c" + b255.substr(252)},  // two pieces later
        {a254 + "\xE4\xB8\xAD\n", a254 + "中\n"},  // a character across two pieces stays whole
    };
    for (const Case& c : cases) {
        for (std::size_t readSize : kReadSizes) {
            EXPECT_EQ(TextInReads(c.bytes, readSize), os::FromAnsi(c.text))
                << "read size " << readSize << ", bytes " << c.bytes.size();
        }
    }
}

TEST(OutputCapture, KeepsTheEndFromAWholeLineAfterTheNoteWhenCut) {
    std::string lines;
    for (int n = 100; n < 200; ++n) {
        lines += "line " + std::to_string(n) + "\n";  // 9 bytes each
    }
    constexpr std::size_t kBound = 50;
    // The last 50 bytes start inside "line 194"; the first whole line kept is 195.
    const std::string kept = "line 195\nline 196\nline 197\nline 198\nline 199\n";
    const std::string note = "（输出过长）";
    for (std::size_t readSize : kReadSizes) {
        OutputCapture capture(kBound, tool::OutputEncoding::kAnsi, note);
        for (std::size_t at = 0; at < lines.size(); at += readSize) {
            capture.Append(lines.data() + at, std::min(readSize, lines.size() - at));
        }
        EXPECT_EQ(capture.Text(), note + os::kLineBreak + kept) << "read size " << readSize;
    }
    OutputCapture withoutNote(kBound);
    withoutNote.Append(lines.data(), lines.size());
    EXPECT_EQ(withoutNote.Text(), kept);
    OutputCapture exact(lines.size(), tool::OutputEncoding::kAnsi, note);
    exact.Append(lines.data(), lines.size());
    EXPECT_EQ(exact.Text(), lines);
}

TEST(OutputCapture, RecentLinesAreTheNewestWholeLinesWithinTheirBound) {
    struct Case {
        std::string bytes;
        std::size_t bound;  // of the capture
        std::size_t most;   // bytes RecentLines may take
        std::string lines;
    };
    const std::vector<Case> cases = {
        {"", 100, 10, ""},
        {"half a line", 100, 100, ""},
        {"one\ntw", 100, 100, "one\n"},                     // the line being written waits
        {"one\n\xE4\xB8", 100, 100, "one\n"},               // ... and so does a cut character
        {"a\nb\nc\n", 100, 4, "b\nc\n"},                    // starts at a line's start
        {"a\nbb\nc\n", 100, 4, "c\n"},                      // ... never inside a line
        {"one\rtwo\r\n", 100, 100, "one\rtwo\r\n"},         // a carriage return ends a line too
        {"line 1\nline 2\nline 3\n", 10, 100, "line 3\n"},  // after a cut, from a whole line
    };
    for (const Case& c : cases) {
        for (std::size_t readSize : kReadSizes) {
            OutputCapture capture(c.bound);
            for (std::size_t at = 0; at < c.bytes.size(); at += readSize) {
                capture.Append(c.bytes.data() + at, std::min(readSize, c.bytes.size() - at));
            }
            EXPECT_EQ(capture.RecentLines(c.most), c.lines) << c.bytes << " / " << readSize;
            EXPECT_EQ(capture.Received(), c.bytes.size());
        }
    }
}

}  // namespace
