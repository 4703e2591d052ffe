// Reserves and settles numbers in a station folder as a station does, as fast as it can:
//   serial_numbers_helper <folder> <title> <first> <last> <count>
// (the folder without its last separator)
// prints each number it reserved on a line of its own, or "used up" and ends when there is none.
#include <cstdio>
#include <exception>
#include <string>

#include "platform/paths.h"
#include "platform/text.h"
#include "serial_numbers/serial_number_store.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("usage: serial_numbers_helper <folder> <title> <first> <last> <count>\n",
                   stderr);
        return 2;
    }
    try {
        // The folder comes without its last separator: cmd.exe's quoting cannot end in one.
        const serial_numbers::SerialNumberStore store(os::FromAnsi(argv[1]) + os::kPathSeparator);
        const std::string title = argv[2];
        const serial_numbers::NumberRange range{static_cast<std::uint32_t>(std::stoul(argv[3])),
                                                static_cast<std::uint32_t>(std::stoul(argv[4]))};
        for (int i = std::stoi(argv[5]); i > 0; --i) {
            const auto reservation = store.Reserve(title, range);
            if (!reservation.number) {
                std::puts("used up");
                break;
            }
            std::printf("%lu\n", static_cast<unsigned long>(*reservation.number));
            std::fflush(stdout);
            store.Settle(title, *reservation.number);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ERROR: %s\n", e.what());
        return 1;
    }
    return 0;
}
