// Sends the rows of the station's production record (the day's CSV files, which stay the
// station's record and the queue) to the factory's database: in order, file by file (days in
// order) and row by row, each under a key that makes a second delivery harmless, and remembers
// in the ledger (delivery_ledger.h) how far each file got, so that a restart sends only what is
// missing, also of earlier days. Only the rows of this copy's own application title are sent:
// two copies in one folder share a file, and each sends its own.
//
// A row the database refuses for its values (a field too long, or not what its column holds)
// is remembered as refused, with the reason, and not sent again: the rows after it go on. Any
// other failure (the connection, a timeout, a missing right) ends the round; its rows wait for
// the next.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "database/delivery_ledger.h"
#include "platform/files.h"
#include "record/record_columns.h"

namespace database {

using RecordFields = std::array<std::string, record::kKnownColumns>;

// Where the rows go: the factory's database (factory_database.h), or a test's stand-in.
class RowDestination {
public:
    virtual ~RowDestination() = default;
    // Delivers one row under key. A row already delivered under the key counts as delivered.
    // Throws odbc::OdbcError.
    virtual void AddRow(const std::string& key, const std::string& station,
                        const RecordFields& fields) = 0;
};

// Replaces a file's content in one step; false when it did not, for the station has let go of
// the worker. Throws os::FileError.
using ReplaceFile = std::function<bool(const std::string& path, const std::string& content)>;
// ReplaceFile by os::ReplaceFileContent, always.
bool ReplaceAlways(const std::string& path, const std::string& content);

// The key of a row: the MD5 of the station's name and the row's fields, 32 hexadecimal digits.
// The same row from the same station always has the same key, also when a crash had it written
// twice into the record, and a row whose board_label is empty has the key it had before the
// column was added.
std::string DeliveryKey(const std::string& station, const RecordFields& fields);

struct DeliveryRound {
    std::size_t delivered = 0;
    std::size_t waiting = 0;          // rows of the title not yet delivered after the round
    std::vector<RefusedRow> refused;  // rows refused in this round
    // Why the round stopped sending (the database's reason, passwords masked); none when it
    // was not stopped by a failure.
    std::optional<std::string> failure;
    std::vector<std::string> notes;  // what else the log should hold: a file sent again, a
                                     // ledger that could not be written
};

class RecordDelivery {
public:
    // replace: how the ledger is written.
    explicit RecordDelivery(std::string title, ReplaceFile replace = ReplaceAlways);

    // One round over the record files of folder (ending in the separator). With a destination,
    // sends what waits, asking keepGoing before each row; without one, only counts it.
    DeliveryRound Run(const std::string& folder, const std::string& station,
                      RowDestination* destination, const std::function<bool()>& keepGoing);

private:
    struct FileRound;
    void UseFolder(const std::string& folder, DeliveryRound& round);
    void RunFile(const std::string& name, FileRound& file, DeliveryRound& round);
    // Sends one row, or remembers it as refused; false when sending has stopped.
    bool SendRow(const std::string& name, const RecordRow& row, FileRound& file,
                 DeliveryRound& round);
    void SaveLedger(DeliveryRound& round);

    std::string title_;
    ReplaceFile replace_;
    std::string folder_;  // the folder of ledger_
    DeliveryLedger ledger_;
    bool ledgerChanged_ = false;
    std::map<std::string, os::FileStamp> done_;  // files with nothing left, at that version
};

}  // namespace database
