#include "record/day_record.h"

#include <exception>
#include <optional>

#include "platform/files.h"
#include "record/csv.h"
#include "record/production_record.h"
#include "record/record_layout.h"

namespace record {

bool ForEachRowOf(const std::string& path, const std::string& title,
                  const std::function<void(const DayRow&)>& take) {
    std::string bytes;
    try {
        bytes = os::ReadWholeFile(path, os::Share::kReadWrite);
    } catch (const std::exception&) {
        return !os::FileExists(path);  // no record yet, or one that cannot be read now
    }
    CsvReader reader;
    std::optional<RecordLayout> layout;
    ForEachCsvRow(reader, WithoutByteOrderMark(bytes), [&] {
        if (!layout) {
            layout.emplace(reader);
        } else if (layout->FieldOf(reader, Column::kTitle) == title) {
            take({layout->FieldOf(reader, Column::kTime), layout->FieldOf(reader, Column::kVerdict),
                  layout->FieldOf(reader, Column::kRunMs),
                  layout->FieldOf(reader, Column::kDeviceId),
                  layout->FieldOf(reader, Column::kBoardLabel),
                  layout->FieldOf(reader, Column::kFixture)});
        }
    });
    return true;
}

}  // namespace record
