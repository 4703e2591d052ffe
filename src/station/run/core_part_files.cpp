#include "station/run/core_part_files.h"

#include "platform/files.h"
#include "station/run/station_log.h"
#include "station/settings/press_recipe.h"
#include "tool/programmer.h"

namespace station {

std::string PartLine(const tool::CoreFacts& core, const tool::CorePart& part) {
    const std::string range = part.Empty()
                                  ? std::string("无数据，跳过")
                                  : tool::HexWord(part.first) + "-" + tool::HexWord(part.last) +
                                        "，" + std::to_string(part.bytes) + "字节";
    return std::string(core.logName) + "（" + core.nrfjprogName + "）：" + range;
}

CorePartFiles::CorePartFiles(const std::string& folder, const std::string& title,
                             const std::vector<tool::CoreFacts>& cores,
                             const std::vector<tool::CorePart>& parts) {
    try {
        for (const tool::CorePart& part : parts) {
            const tool::CoreFacts& core = cores.at(part.core);
            LogInfoText(PartLine(core, part));
            if (part.Empty()) {
                continue;
            }
            const std::string path = CorePartPath(folder, title, core);
            files_.push_back({part.core, path});
            os::ReplaceFileContent(path, part.text);
        }
    } catch (...) {
        RemoveAll();
        throw;
    }
}

CorePartFiles::~CorePartFiles() {
    RemoveAll();
}

void CorePartFiles::RemoveAll() noexcept {
    for (const CorePartFile& file : files_) {
        os::RemoveFile(file.path);
    }
}

}  // namespace station
