#include "output_capture.h"

#include <algorithm>
#include <cstring>

#include "os.h"

namespace tool {

namespace {

// How far into kept output a cut text looks for the first line break.
constexpr std::size_t kLongestSkippedLine = 4096;

}  // namespace

OutputCapture::OutputCapture(std::size_t bound) : bound_(std::max<std::size_t>(bound, 1)) {}

void OutputCapture::Append(const char* data, std::size_t size) {
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

// Bytes are dropped from the front only once twice the bound is held, so each byte is moved at
// most once more, however the output arrives.
void OutputCapture::Keep(const char* data, std::size_t size) {
    if (kept_.size() + size <= 2 * bound_) {
        kept_.append(data, size);
        return;
    }
    dropped_ = true;
    if (size >= bound_) {
        kept_.assign(data + size - bound_, bound_);
    } else {
        kept_.erase(0, kept_.size() + size - bound_);
        kept_.append(data, size);
    }
}

bool OutputCapture::Cut() const {
    return dropped_ || kept_.size() > bound_;
}

std::string OutputCapture::CutNote(std::size_t bound) {
    constexpr std::size_t kKiB = 1024;
    constexpr std::size_t kMiB = kKiB * kKiB;
    const std::string size = bound % kMiB == 0   ? std::to_string(bound / kMiB) + " MiB"
                             : bound % kKiB == 0 ? std::to_string(bound / kKiB) + " KiB"
                                                 : std::to_string(bound) + " B";
    return "（输出过长，前面的部分已省略，只保留了最后" + size + "。）" + os::kLineBreak;
}

std::string OutputCapture::Text() const {
    std::string_view bytes(kept_);
    if (bytes.size() > bound_) {
        bytes.remove_prefix(bytes.size() - bound_);
    }
    if (!Cut()) {
        return os::FromAnsi(bytes);
    }
    // The first kept line is most likely a part of one, maybe cut inside a character.
    const std::size_t lineEnd = bytes.substr(0, kLongestSkippedLine).find('\n');
    if (lineEnd != std::string_view::npos) {
        bytes.remove_prefix(lineEnd + 1);
    }
    return CutNote(bound_) + os::FromAnsi(bytes);
}

}  // namespace tool
