// What one copy of the station (one application title) has delivered to the factory's database
// from each record file of its folder, kept in "sent-to-database.<title>.txt" beside the records
// and replaced in one step (written beside it, flushed, renamed over it), so a crash leaves the
// old or the new ledger, never a torn one:
//
//     # ...
//     file 2024-03-05.csv 48213 231 9F1C0A7E5B3D2C41A8E6F0B7D9C3E215
//     refused 2024-03-05.csv 17 value too long for type character varying(255)
//
// "file": every row of the title before byte 48213 (line 231) was delivered or refused, and the
// file's bytes before it have that MD5: a file changed under it (saved by a spreadsheet) is sent
// again from its start. "refused": a row the database refused, with its reason; it is not sent
// again. The ledger may lag behind the database (a crash between a row's delivery and the next
// write of the ledger): such rows are sent again, and the database ignores a second delivery.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "database/record_rows.h"

namespace database {

struct FileProgress {
    RecordPlace place;   // where the rows not yet handled start
    std::string digest;  // MD5 of the file's bytes before place.offset, upper-case hexadecimal
};

struct RefusedRow {
    std::string file;  // the record file's name
    std::uint64_t line = 0;
    std::string reason;  // one line
};

struct DeliveryLedger {
    std::map<std::string, FileProgress> files;  // by the record file's name
    std::vector<RefusedRow> refused;            // in the order they were refused

    // The ledger's text, its comment naming title.
    std::string Text(const std::string& title) const;
    // The ledger of such a text. Lines it does not understand are left out: their files are
    // sent again from their start, which the database takes without a second row.
    static DeliveryLedger FromText(std::string_view text);
};

// The ledger file of title in folder (ending in the separator).
std::string LedgerPath(const std::string& folder, const std::string& title);

}  // namespace database
