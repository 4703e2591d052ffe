// Collects what a command prints, as it arrives in reads of any size, and turns it into the text
// the station judges and shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tool {

// How a tool's output bytes are to be read: in the system's ANSI code page, as console programs
// write (nrfjprog), or as UTF-8 (nrfutil).
enum class OutputEncoding { kAnsi, kUtf8 };

// The byte stream is taken as consecutive pieces of 255 bytes from its start, each cut at its
// first zero byte (what follows the zero in that piece is dropped). The result depends only on
// the bytes, never on how they were split into reads.
//
// At most `bound` bytes are kept: when more arrive, the oldest are dropped, since the end of the
// output is where the tool's verdict is.
class OutputCapture {
public:
    static constexpr std::size_t kPieceSize = 255;
    static constexpr std::size_t kDefaultBound = std::size_t{16} << 20;  // 16 MiB

    // cutNote: the line a cut output's text starts with (UTF-8, without its line break); none
    // when empty.
    explicit OutputCapture(std::size_t bound = kDefaultBound,
                           OutputEncoding encoding = OutputEncoding::kAnsi,
                           std::string cutNote = {});

    void Append(const char* data, std::size_t size);

    // The kept bytes decoded to UTF-8 (bytes that do not decode become U+FFFD). When output was
    // cut, the text starts at the first full line that was kept, after the cut note and the
    // platform's line break.
    std::string Text() const;

    // How many bytes have been appended so far, zero bytes and dropped pieces included.
    std::size_t Received() const { return received_; }

    // The newest whole lines of what is kept, for a window while the tool still runs: they end
    // at the last line break (a line still being written waits for its end, so no character is
    // ever shown cut), start at a line's start, and take at most maxBytes. Decoded as Text().
    std::string RecentLines(std::size_t maxBytes) const;

private:
    void Keep(const char* data, std::size_t size);
    std::string Decoded(std::string_view bytes) const;

    std::size_t bound_;
    OutputEncoding encoding_;
    std::string cutNote_;
    std::string kept_;             // the newest bytes, at most bound_; a ring once it is full
    std::size_t ringStart_ = 0;    // where the oldest byte of a full ring is
    std::size_t pieceOffset_ = 0;  // position of the next byte within its 255-byte piece
    bool pieceCut_ = false;        // the current piece has met its zero byte
    bool dropped_ = false;         // bytes were dropped from kept_
    std::size_t received_ = 0;
};

}  // namespace tool
