#include "odbc/text_piece.h"

namespace odbc {

TextPiece TextPieceOf(std::u16string_view buffer, std::int64_t indicator) {
    if (buffer.empty()) {
        return {0, true};
    }
    const std::size_t room = buffer.size() - 1;  // the last unit holds the terminator
    if (indicator >= 0 && static_cast<std::uint64_t>(indicator) / 2 <= room) {
        return {static_cast<std::size_t>(indicator) / 2, true};
    }
    if (indicator >= 0) {
        return {room, false};
    }
    // No length: the text ends at its terminator; a full buffer may have more behind it.
    const std::size_t end = buffer.substr(0, room).find(u'\0');
    return end == std::u16string_view::npos ? TextPiece{room, false} : TextPiece{end, true};
}

}  // namespace odbc
