// The station's error codes: expected failures, which the verdict turns into a message that
// begins "ERROR:"; 0 means none. 106 ("ERROR:擦除Flash失败。") is reserved: no step sets it.
#pragma once

namespace station {

enum StationError {
    kToolMissing = 101,          // no programmer tool in bin
    kNoProbeAnswer = 102,        // the probe query listed no probe (or never ended)
    kImageMissing = 103,         // no image file
    kChecksumFileMissing = 104,  // the image has no checksum file yet
    kChecksumMismatch = 105,     // the image does not match its checksum file
    kProgrammingFailed = 107,    // the programming run did not confirm its verify
    kConfigMissing = 108,        // no config.ini
    kLogFolderMissing = 109,     // no logs folder
    kPathRefused = 110,          // a path the interpreter would change ("%") or cannot use
    kProbeNotFound = 111,        // the probe config.ini binds the station to is not listed
    kSeveralProbes = 112,        // several probes listed and none bound: the tool would ask
    kLogFolderUnusable = 113,    // the log and record folder cannot take a line, or rows wait
    kSerialNumbers = 114,  // [chip], [trace] or [serial] set wrongly, or no serial number left
    // The image's content, where the station reads its records (a two-core chip's split, each
    // board's numbered copy): a line that is no record, data after the end-of-file record or no
    // such record, a record outside every core, no data, the number's word already written.
    kImageRefused = 115,
};

}  // namespace station
