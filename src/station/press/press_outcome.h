// What one press of start did, as the station returns it: the verdict, the row it wrote, the
// serial number it settled, and what the window shows of the station afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/production_record.h"
#include "station/run/verdict.h"

namespace station {

struct PressOutcome {
    Verdict verdict;  // empty caption when an error ended the press before its verdict
    // The row as written; its time stamped. Empty title when no row could be made.
    record::ProductionRecord row;
    // The board's number: written into the chip on a PASS, voided on a FAIL; none when the
    // station numbers no boards or none was left.
    std::optional<std::uint32_t> serialNumber;
    // Lines the text area gets after the verdict's text: the same-chip note, a row that could
    // not be written, a number that could not be settled. Each is also in the log.
    std::vector<std::string> notes;
    std::string nextSerialText;     // Label_NextSerial after the press
    std::string countsText;         // Label_Counts after the press
    std::string fixtureCountsText;  // a bench fixture's tile counts after the press
    // Why the board's label was refused; then nothing else happened and the rest is empty.
    std::string labelRefusal;

    bool LabelRefused() const { return !labelRefusal.empty(); }
};

}  // namespace station
