// hexgen <out.hex> [--size N] [--seed S] [--base ADDR]
// Writes an Intel HEX image of N bytes (default 16384) at ADDR (default 0) whose content is a
// pattern fixed by S (default 1): the same arguments always give the same file. Numbers may be
// decimal or 0x-prefixed hexadecimal. Used for the demo station's "merge.hex".
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "intel_hex.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

struct Options {
    std::string outPath;
    std::uint64_t size = 16384;
    std::uint64_t seed = 1;
    std::uint64_t base = 0;
};

constexpr std::uint64_t kMaxSize = 64ull * 1024 * 1024;

bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t& number) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    unsigned radix = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        radix = 16;
        i = 2;
    }
    if (i == text.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (radix == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (radix == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        if (value > (max - digit) / radix) {
            return false;
        }
        value = value * radix + digit;
    }
    number = value;
    return true;
}

// Returns an error text, or "" when the options are complete.
std::string ParseOptions(const std::vector<std::string>& arguments, Options& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::uint64_t* target = nullptr;
        std::uint64_t max = 0;
        if (argument == "--size") {
            target = &options.size;
            max = kMaxSize;
        } else if (argument == "--seed") {
            target = &options.seed;
            max = UINT32_MAX;
        } else if (argument == "--base") {
            target = &options.base;
            max = UINT32_MAX;
        } else if (!argument.empty() && argument[0] == '-') {
            return "unknown option '" + argument + "'";
        } else if (options.outPath.empty()) {
            options.outPath = argument;
            continue;
        } else {
            return "more than one output file";
        }
        if (i + 1 >= arguments.size() || !ParseNumber(arguments[i + 1], max, *target)) {
            return argument + " needs a number up to " + std::to_string(max);
        }
        ++i;
    }
    if (options.outPath.empty()) {
        return "no output file given";
    }
    if (options.base + options.size > (std::uint64_t{1} << 32)) {
        return "the image would run past the 32-bit address space";
    }
    return {};
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(os::FromAnsi(argv[i]));
    }
    Options options;
    const std::string error = ParseOptions(arguments, options);
    if (!error.empty()) {
        std::fprintf(stderr,
                     "hexgen: %s\nusage: hexgen <out.hex> [--size N] [--seed S] [--base ADDR]\n",
                     os::ToAnsi(error).bytes().c_str());
        return 2;
    }
    try {
        const auto bytes = Pattern(static_cast<std::size_t>(options.size),
                                   static_cast<std::uint32_t>(options.seed));
        os::ReplaceFileContent(options.outPath,
                               sim::MakeIntelHex(bytes, static_cast<std::uint32_t>(options.base)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hexgen: %s\n", os::ToAnsi(e.what()).bytes().c_str());
        return 1;
    }
    return 0;
}
