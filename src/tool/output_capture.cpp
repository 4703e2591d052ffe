#include "tool/output_capture.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/text.h"

namespace tool {

namespace {

// How far into kept output a cut text looks for the first line break.
constexpr std::size_t kLongestSkippedLine = 4096;

}  // namespace

OutputCapture::OutputCapture(std::size_t bound, OutputEncoding encoding, std::string cutNote)
    : bound_(std::max<std::size_t>(bound, 1)), encoding_(encoding), cutNote_(std::move(cutNote)) {}

std::string OutputCapture::Decoded(std::string_view bytes) const {
    return encoding_ == OutputEncoding::kAnsi ? os::FromAnsi(bytes)
                                              : os::RepairedUtf8(bytes, os::kReplacementCharacter);
}

void OutputCapture::Append(const char* data, std::size_t size) {
    received_ += size;
    while (size > 0) {
        if (!pieceCut_) {
            const auto* zero = static_cast<const char*>(std::memchr(data, '\0', size));
            const std::size_t whole =
                zero != nullptr ? static_cast<std::size_t>(zero - data) : size;
            Keep(data, whole);
            pieceOffset_ = (pieceOffset_ + whole) % kPieceSize;
            data += whole;
            size -= whole;
            if (zero == nullptr) {
                return;
            }
            pieceCut_ = true;
        }
        // The rest of a cut piece, its zero byte included, is dropped.
        const std::size_t dropped = std::min(size, kPieceSize - pieceOffset_);
        pieceOffset_ += dropped;
        data += dropped;
        size -= dropped;
        if (pieceOffset_ == kPieceSize) {
            pieceOffset_ = 0;
            pieceCut_ = false;
        }
    }
}

// Up to the bound the bytes are appended; from then on kept_ is a ring whose oldest byte is at
// ringStart_, so every byte is copied once, however much arrives.
void OutputCapture::Keep(const char* data, std::size_t size) {
    constexpr std::size_t kReserveFrom = std::size_t{1} << 20;
    if (kept_.size() < bound_) {
        const std::size_t room = bound_ - kept_.size();
        if (kept_.size() + size > kReserveFrom && kept_.capacity() < bound_) {
            kept_.reserve(bound_);  // no copies while it grows to the bound
        }
        const std::size_t appended = std::min(size, room);
        kept_.append(data, appended);
        data += appended;
        size -= appended;
    }
    if (size == 0) {
        return;
    }
    dropped_ = true;
    if (size >= bound_) {
        data += size - bound_;
        size = bound_;
    }
    const std::size_t first = std::min(size, bound_ - ringStart_);
    std::memcpy(&kept_[ringStart_], data, first);
    std::memcpy(&kept_[0], data + first, size - first);
    ringStart_ = (ringStart_ + size) % bound_;
}

std::string OutputCapture::RecentLines(std::size_t maxBytes) const {
    // The kept bytes in order are the ring's older part, then its newer one.
    const std::string_view older = std::string_view(kept_).substr(dropped_ ? ringStart_ : 0);
    const std::string_view newer = std::string_view(kept_).substr(0, dropped_ ? ringStart_ : 0);
    const std::size_t size = older.size() + newer.size();
    const std::size_t from = size - std::min(size, maxBytes);
    constexpr std::string_view kLineBreaks = "\r\n";
    // Where the tail starts: at a line's start only after a line break, or at the very start
    // of an output nothing was dropped of.
    const bool atLineStart =
        from == 0 ? !dropped_
                  : kLineBreaks.find(from - 1 < older.size() ? older[from - 1]
                                                             : newer[from - 1 - older.size()]) !=
                        std::string_view::npos;
    std::string tail;
    tail.reserve(size - from);
    if (from < older.size()) {
        tail.append(older.substr(from)).append(newer);
    } else {
        tail.append(newer.substr(from - older.size()));
    }
    const std::size_t end = tail.find_last_of(kLineBreaks);
    if (end == std::string::npos) {
        return {};
    }
    tail.resize(end + 1);
    if (!atLineStart) {
        tail.erase(0, tail.find_first_of(kLineBreaks) + 1);
    }
    return Decoded(tail);
}

std::string OutputCapture::Text() const {
    if (!dropped_) {
        return Decoded(kept_);
    }
    // The oldest kept line is most likely a part of one, maybe cut inside a character: the text
    // starts after it. The note goes in in the output's code page, so the whole is decoded once.
    const std::string_view older = std::string_view(kept_).substr(ringStart_);
    const std::string_view newer = std::string_view(kept_).substr(0, ringStart_);
    std::size_t skipped = 0;
    for (std::size_t i = 0; i < std::min(kLongestSkippedLine, kept_.size()); ++i) {
        if (kept_[(ringStart_ + i) % kept_.size()] == '\n') {
            skipped = i + 1;
            break;
        }
    }
    const std::string note = cutNote_.empty() ? "" : cutNote_ + os::kLineBreak;
    std::string inOrder = encoding_ == OutputEncoding::kAnsi ? os::ToAnsi(note).bytes() : note;
    inOrder.reserve(inOrder.size() + kept_.size());
    if (skipped < older.size()) {
        inOrder.append(older.substr(skipped)).append(newer);
    } else {
        inOrder.append(newer.substr(skipped - older.size()));
    }
    return Decoded(inOrder);
}

}  // namespace tool
