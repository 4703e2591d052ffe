// Any path in the three command lines: splitting the line into words as /bin/sh does gives back
// every path as exactly one argument, unchanged, followed by the fixed options, and nothing in
// the line is left for the shell to expand, redirect or run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tool/programmer.h"

namespace {

// The words of a POSIX shell command line made of blanks, plain characters and quoting only
// (glibc's wordexp mis-splits ''\''). Any character the shell would act on unquoted (operators,
// expansions, globs, a comment) fails the run.
std::vector<std::string> ShellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) {
                std::abort();
            }
            word += line.substr(i + 1, close - i - 1);
            i = close;
            inWord = true;
        } else if (c == '\\') {
            if (++i == line.size() || line[i] == '\n') {
                std::abort();  // a line continuation is not a character of the word
            }
            word += line[i];
            inWord = true;
        } else if (c == '"' || std::string("|&;<>()$`*?[#~=%{}").find(c) != std::string::npos) {
            std::abort();  // never produced by the quoting, so anything here is left unquoted
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

void Expect(const std::string& commandLine, const std::vector<std::string>& words) {
    if (ShellWords(commandLine) != words) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A path is a C string: it ends at a zero byte.
    std::string path(reinterpret_cast<const char*>(data), size);
    path.resize(path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
    const std::string prog = "/station folder/bin/nrfjprog";

    Expect(tool::ProbeQueryCommand(path), {path, "-i"});
    Expect(tool::HelpCommand(path), {path, "-h"});
    Expect(tool::ProgrammingCommand(prog, path, false, tool::kProgPara, ""),
           {prog, "--program", path, "--verify", "--rbp", "ALL", "--pinreset"});
    Expect(tool::ProgrammingCommand(path, path, true, tool::kProgPara, ""),
           {path, "-e", "--program", path, "--verify", "--rbp", "ALL", "--pinreset"});
    return 0;
}
