// Reading a chip's memory from what the programmers print: the 32-bit words at an address, the
// chip's DEVICEID as the record holds it, and whether a written word was read back. Pure
// functions over the captured output; they never throw.
//
// Two forms are read, from either programmer:
//   - memory lines, as nrfjprog --memrd and nrfutil device read without --json print them:
//       0x10000060: 121DCF55 7C1D8BD6                     |U......||
//     optional blanks, an address of 1 to 8 hexadecimal digits ("0x" allowed), a colon, then
//     blank-separated groups of 2, 4 or 8 hexadecimal digits (bytes, 16-bit or 32-bit units,
//     each the little-endian value at its place), all of one size, up to the first other word
//     (the ASCII column) or the line's end. A line with groups of mixed sizes gives nothing.
//     Older nrfjprog versions printed "1000005c  ffff001d 3d31c239 ..." without a colon: such
//     lines are not read. Without the colon nothing tells a memory line from any other line that
//     starts with hexadecimal digits (a probe's serial number, say), and the read fails visibly,
//     where a wrong guess would put a wrong ID in the record without a trace;
//   - nrfutil's JSON: a task_end line with "result":"success" whose data.data.memoryData (or
//     data.memoryData) is an array of {"startAddress": A, "values": [bytes]}, A a number or a
//     string ("0x" hexadecimal or decimal), each value a number from 0 to 255. An entry of any
//     other shape gives nothing.
// Every byte found inside the requested words counts; the same byte given twice with different
// values makes the whole read give nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// DEVICEID[0] of nRF52 chips, the default of the station's setting; DEVICEID[1] follows it.
inline constexpr std::uint32_t kNrf52DeviceIdAddress = 0x10000060;
// DEVICEID is two 32-bit words, DEVICEID[0] then DEVICEID[1].
inline constexpr std::size_t kDeviceIdWords = 2;
// The most words one call reads.
inline constexpr std::size_t kMostWordsRead = 4096;

// The wordCount 32-bit words at address (the first one at address, each little-endian in
// memory) as the output shows them: exactly wordCount words, or nothing when any byte of them is
// missing or given twice with different values, when wordCount is 0 or above kMostWordsRead,
// or when the words would run past the 32-bit address space.
std::optional<std::vector<std::uint32_t>> ReadMemoryWords(std::string_view output,
                                                          std::uint32_t address,
                                                          std::size_t wordCount);

// The chip's 64-bit DEVICEID, DEVICEID[1] its upper half (the order of the chip maker's own test
// scripts, and of the record's text); words are DEVICEID[0], [1] as ReadMemoryWords gives them
// for the DEVICEID address. Nothing unless words holds exactly two.
std::optional<std::uint64_t> DeviceId(const std::vector<std::uint32_t>& words);

// True when the output of a read of the word at address shows exactly value there.
bool WordConfirmed(std::string_view readOutput, std::uint32_t address, std::uint32_t value);

}  // namespace tool
