// The press reports not yet taken by the MES, one file each in the station's folder, so that none
// is lost to a crash, a power cut or an MES that is away for days:
//
//     mes-report.<title>.0000000042.json    waiting, sent in the order of their numbers
//     mes-refused.<title>.0000000041.json   refused by the MES, kept aside with its answer
//
// A file holds the report's key on its first line and the body after it (a refused one: its
// answer on a third part, after a blank line). Each is written beside its name, flushed and
// renamed into place, so a file is whole or absent. Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace mes {

struct SpooledReport {
    std::uint64_t number = 0;
    std::string key;
    std::string body;
};

class ReportSpool {
public:
    // folder ends in the separator.
    ReportSpool(std::string folder, std::string title);

    // Writes the report durably, keyed "<title>-<stamp>-<number>"; returns its key. Throws
    // os::FileError when it cannot be written.
    std::string Add(const std::string& stamp,
                    const std::function<std::string(const std::string& key)>& body);
    // The oldest waiting report; none when none waits (or one cannot be read: it stays).
    std::optional<SpooledReport> Oldest() const;
    void Sent(const SpooledReport& report);
    void Refused(const SpooledReport& report, const std::string& answer);

    std::size_t Waiting() const;
    std::size_t RefusedCount() const;

private:
    std::string PathOf(const char* kind, std::uint64_t number) const;
    // The numbers of the files of one kind, in order.
    std::vector<std::uint64_t> Numbers(const std::string& kind) const;

    const std::string folder_;
    const std::string title_;
    mutable std::mutex mutex_;
    std::uint64_t next_ = 1;
};

}  // namespace mes
