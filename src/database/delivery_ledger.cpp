#include "delivery_ledger.h"

#include <sstream>

#include "text.h"

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
        std::istringstream words{std::string(line)};
        std::string kind, name;
        std::uint64_t first = 0;
        if (!(words >> kind >> name >> first) || !IsFileName(name)) {
            return;
        }
        if (kind == "file") {
            FileProgress progress{{first, 0}, ""};
            if (words >> progress.place.line >> progress.digest && progress.digest.size() == 32) {
                ledger.files[name] = progress;
            }
        } else if (kind == "refused") {
            std::string reason;
            std::getline(words >> std::ws, reason);
            ledger.refused.push_back({name, first, reason});
        }
    });
    return ledger;
}

std::string LedgerPath(const std::string& folder, const std::string& title) {
    return folder + "sent-to-database." + title + ".txt";
}

}  // namespace database
