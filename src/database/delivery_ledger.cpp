#include "database/delivery_ledger.h"

#include "platform/text.h"

namespace database {

namespace {

// A reason on one line: line breaks and tabs become blanks.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    return text;
}

// A record file's name holds no blank (yyyy-mm-dd.csv); nothing else goes into the ledger.
bool IsFileName(const std::string& name) {
    return !name.empty() && name.find_first_of(" \t") == std::string::npos;
}

}  // namespace

std::string DeliveryLedger::Text(const std::string& title) const {
    std::string text =
        "# romtool: rows of the production record delivered to the factory's "
        "database by the copy titled " +
        OneLine(title) + "\r\n";
    for (const auto& [name, progress] : files) {
        text += "file " + name + " " + std::to_string(progress.place.offset) + " " +
                std::to_string(progress.place.line) + " " + progress.digest + "\r\n";
    }
    for (const RefusedRow& row : refused) {
        text += "refused " + row.file + " " + std::to_string(row.line) + " " + OneLine(row.reason) +
                "\r\n";
    }
    return text;
}

DeliveryLedger DeliveryLedger::FromText(std::string_view text) {
    DeliveryLedger ledger;
    os::ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> words = os::Words(line, 4);  // the last: the rest
        if (words.size() < 3) {
            return;
        }
        const std::string name(words[1]);
        const std::optional<std::uint64_t> first = os::DecimalNumber(words[2]);
        if (!first || !IsFileName(name)) {
            return;
        }
        const std::string_view rest = words.size() > 3 ? words[3] : std::string_view();
        if (words[0] == "file") {
            const std::vector<std::string_view> more = os::Words(rest, 3);
            const auto lines = more.size() == 2 ? os::DecimalNumber(more[0]) : std::nullopt;
            if (lines && more[1].size() == 32) {
                ledger.files[name] = FileProgress{{*first, *lines}, std::string(more[1])};
            }
        } else if (words[0] == "refused") {
            ledger.refused.push_back({name, *first, std::string(rest)});
        }
    });
    return ledger;
}

std::string LedgerPath(const std::string& folder, const std::string& title) {
    return folder + "sent-to-database." + title + ".txt";
}

}  // namespace database
