#include "database/record_delivery.h"

#include <algorithm>
#include <utility>

#include "integrity/md5.h"
#include "odbc/odbc.h"
#include "record/csv.h"
#include "record/production_record.h"

namespace database {

namespace {

// Rows sent between two writes of the ledger during a long round: a crash sends at most these
// again, and the database ignores them.
constexpr std::size_t kRowsPerLedgerWrite = 200;

// The record files of folder, by day.
std::vector<std::string> RecordFilesIn(const std::string& folder) {
    std::vector<std::string> names = os::FileNamesIn(folder);
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const std::string& name) { return !record::IsRecordFileName(name); }),
        names.end());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string DeliveryKey(const std::string& station, const RecordFields& fields) {
    // A row without the columns added since the keys were first made (board_label) keeps the key
    // earlier stations gave it, so an updated station never sends it again under a new key.
    std::size_t count = fields.size();
    while (count > record::kColumnsBeforeBoardLabel && fields[count - 1].empty()) {
        --count;
    }
    const std::vector<std::string> keyed(fields.begin(),
                                         fields.begin() + static_cast<std::ptrdiff_t>(count));
    return integrity::Md5Hex(station + "," + record::RowText(keyed));
}

// One file within a round: its bytes, and where sending stands.
struct RecordDelivery::FileRound {
    const std::string& station;
    RowDestination*& destination;  // set to null once sending stops
    const std::function<bool()>& keepGoing;
    std::string bytes;
};

bool ReplaceAlways(const std::string& path, const std::string& content) {
    os::ReplaceFileContent(path, content);
    return true;
}

RecordDelivery::RecordDelivery(std::string title, ReplaceFile replace)
    : title_(std::move(title)), replace_(std::move(replace)) {}

DeliveryRound RecordDelivery::Run(const std::string& folder, const std::string& station,
                                  RowDestination* destination,
                                  const std::function<bool()>& keepGoing) {
    DeliveryRound round;
    if (folder.empty()) {
        return round;  // no record folder known yet
    }
    UseFolder(folder, round);
    for (const std::string& name : RecordFilesIn(folder)) {
        const std::optional<os::FileStamp> stamp = os::StampOf(folder + name);
        const auto done = done_.find(name);
        if (!stamp || (done != done_.end() && done->second.SameVersion(*stamp))) {
            continue;
        }
        FileRound file{station, destination, keepGoing, {}};
        try {
            file.bytes = os::ReadWholeFile(folder + name, os::Share::kReadWrite);
        } catch (const os::FileError& error) {
            round.notes.push_back(error.what());
            continue;
        }
        const std::size_t waitingBefore = round.waiting;
        RunFile(name, file, round);
        if (round.waiting == waitingBefore) {
            done_[name] = *stamp;
        }
    }
    SaveLedger(round);
    return round;
}

void RecordDelivery::UseFolder(const std::string& folder, DeliveryRound& round) {
    if (folder == folder_) {
        return;
    }
    folder_ = folder;
    ledger_ = {};
    ledgerChanged_ = false;
    done_.clear();
    const std::string path = LedgerPath(folder, title_);
    if (!os::FileExists(path)) {
        return;
    }
    try {
        ledger_ = DeliveryLedger::FromText(os::ReadWholeFile(path, os::Share::kRead));
    } catch (const os::FileError& error) {
        round.notes.push_back(std::string(error.what()) +
                              "; every row of the record is sent again, the database keeps one");
    }
}

void RecordDelivery::RunFile(const std::string& name, FileRound& file, DeliveryRound& round) {
    FileProgress& progress = ledger_.files[name];
    const std::string_view bytes = file.bytes;
    const bool known = !progress.digest.empty();
    if (!known || progress.place.offset > bytes.size() ||
        integrity::Md5Hex(bytes.substr(0, progress.place.offset)) != progress.digest) {
        if (known) {
            round.notes.push_back(name + "在上次发送后被改过，从头重新发送（数据库不会重复收录）");
        }
        progress = {};
        ledgerChanged_ = true;
    }
    const RecordScan scan = ScanRecord(bytes, progress.place, title_);
    std::size_t handled = 0;
    while (handled < scan.rows.size() && SendRow(name, scan.rows[handled], file, round)) {
        progress.place = scan.rows[handled].next;
        ledgerChanged_ = true;
        if (++handled % kRowsPerLedgerWrite == 0) {
            progress.digest = integrity::Md5Hex(bytes.substr(0, progress.place.offset));
            SaveLedger(round);
        }
    }
    round.waiting += scan.rows.size() - handled;
    if (handled == scan.rows.size() && !(progress.place == scan.end)) {
        progress.place = scan.end;  // past the rows of other titles too
        ledgerChanged_ = true;
    }
    progress.digest = integrity::Md5Hex(bytes.substr(0, progress.place.offset));
}

bool RecordDelivery::SendRow(const std::string& name, const RecordRow& row, FileRound& file,
                             DeliveryRound& round) {
    if (!file.destination || !file.keepGoing()) {
        file.destination = nullptr;
        return false;
    }
    std::string refusal = row.problem;
    if (refusal.empty()) {
        try {
            file.destination->AddRow(DeliveryKey(file.station, row.fields), file.station,
                                     row.fields);
            ++round.delivered;
            return true;
        } catch (const odbc::OdbcError& error) {
            if (!error.ValuesRefused()) {
                round.failure = error.what();
                file.destination = nullptr;
                return false;
            }
            refusal = error.what();
        }
    }
    const RefusedRow refused{name, row.line, std::move(refusal)};
    round.refused.push_back(refused);
    ledger_.refused.push_back(refused);
    return true;
}

void RecordDelivery::SaveLedger(DeliveryRound& round) {
    if (!ledgerChanged_) {
        return;
    }
    try {
        if (replace_(LedgerPath(folder_, title_), ledger_.Text(title_))) {
            ledgerChanged_ = false;
        }
    } catch (const os::FileError& error) {
        round.notes.push_back(error.what());
    }
}

}  // namespace database
