// One table of INI files and lookups with the value the system's profile call returns for each.
// Run against os::ReadProfileString on every platform and against GetPrivateProfileStringW
// (section, key, default, a 2048-character buffer) on Windows, so that the reader and the real
// call are held to the same answers.
//
// Everything is UTF-8 and ASCII, except the cases marked utf8Text: their file bytes, and maybe
// their expected value, hold other characters in UTF-8. A run against the system call must give
// it those files in the encoding it decodes, the ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace profile_cases {

struct ProfileCase {
    std::string name;  // identifier-safe, for the test's name
    std::string fileBytes;
    std::string section;
    std::string key;
    std::string defaultValue;
    std::string expected;
    bool utf8Text = false;
};

// ASCII text as UTF-16 little-endian bytes after a byte-order mark, as Notepad saves "Unicode".
inline std::string Utf16LittleEndian(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

inline const std::vector<ProfileCase>& Cases() {
    static const std::vector<ProfileCase> cases = {
        // Names
        {"SectionAndKeyIgnoreCase", "[LOG4ME]\r\nPATH=logs2\r\n", "log4me", "path", "d", "logs2"},
        {"RequestIgnoresCase", "[log4me]\r\nlevel=error\r\n", "Log4Me", "LEVEL", "d", "error"},
        {"BlanksAroundNameAndValue", "[log4me]\r\n  path \t=  \t my logs  \t\r\n", "log4me", "path",
         "d", "my logs"},
        {"BlanksAroundHeaderLine", "   [log4me]  \r\npath=x\r\n", "log4me", "path", "d", "x"},
        {"BlanksInsideBracketsAreTrimmed", "[ log4me ]\r\npath=x\r\n", "log4me", "path", "d", "x"},
        {"RequestedNamesAreTrimmed", "[log4me]\r\npath=x\r\n", " log4me ", " path\t", "d", "x"},
        {"BlanksInsideKeyNameAreKept", "[log4me]\r\nlog path=x\r\n", "log4me", "logpath", "d", "d"},
        {"ValueKeepsInnerEquals", "[log4me]\r\npath = a=b = c\r\n", "log4me", "path", "d",
         "a=b = c"},

        // Quotes
        {"DoubleQuotesRemoved", "[log4me]\r\npath=\"my logs\"\r\n", "log4me", "path", "d",
         "my logs"},
        {"SingleQuotesRemoved", "[log4me]\r\npath='my logs'\r\n", "log4me", "path", "d", "my logs"},
        {"QuotesKeepInnerBlanks", "[log4me]\r\npath=\"  x  \"\r\n", "log4me", "path", "d", "  x  "},
        {"EmptyQuotes", "[log4me]\r\npath=\"\"\r\n", "log4me", "path", "d", ""},
        {"OpeningQuoteOnly", "[log4me]\r\npath=\"logs\r\n", "log4me", "path", "d", "\"logs"},
        {"ClosingQuoteOnly", "[log4me]\r\npath=logs\"\r\n", "log4me", "path", "d", "logs\""},
        {"MixedQuotesKept", "[log4me]\r\npath=\"logs'\r\n", "log4me", "path", "d", "\"logs'"},
        {"LoneQuoteKept", "[log4me]\r\npath=\"\r\n", "log4me", "path", "d", "\""},

        // Missing pieces
        {"EmptyFile", "", "log4me", "path", "logs", "logs"},
        {"MissingSection", "[other]\r\npath=x\r\n", "log4me", "path", "logs", "logs"},
        {"MissingKey", "[log4me]\r\nlevel=error\r\n", "log4me", "path", "logs", "logs"},
        {"KeyOfAnotherSection", "[log4me]\r\nlevel=error\r\n[other]\r\npath=x\r\n", "log4me",
         "path", "logs", "logs"},
        {"KeyBeforeAnySectionIsNotInTheFirst", "path=x\r\n[log4me]\r\nlevel=info\r\n", "log4me",
         "path", "logs", "logs"},
        {"KeyWithoutEqualsGivesTheDefault", "[log4me]\r\npath\r\n", "log4me", "path", "logs",
         "logs"},
        {"EmptyValue", "[log4me]\r\npath=\r\n", "log4me", "path", "logs", ""},
        {"BlankValue", "[log4me]\r\npath =   \r\n", "log4me", "path", "logs", ""},
        {"DefaultLosesTrailingBlanks", "", "log4me", "level", "info   ", "info"},
        {"DefaultKeepsLeadingBlanks", "", "log4me", "level", "  info ", "  info"},
        {"DefaultKeepsTrailingTab", "", "log4me", "level", "info\t", "info\t"},
        {"EmptyDefault", "[log4me]\r\n", "log4me", "level", "", ""},

        // Duplicates
        {"FirstDuplicateKeyWins", "[log4me]\r\npath=first\r\npath=second\r\n", "log4me", "path",
         "d", "first"},
        {"FirstDuplicateSectionWins", "[log4me]\r\npath=first\r\n[log4me]\r\npath=second\r\n",
         "log4me", "path", "d", "first"},
        {"OnlyFirstDuplicateSectionIsSearched",
         "[log4me]\r\npath=first\r\n[LOG4ME]\r\nlevel=error\r\n", "log4me", "level", "info",
         "info"},

        // Line ends and encodings
        {"LfLineEnds", "[log4me]\npath=logs2\nlevel=error\n", "log4me", "level", "d", "error"},
        {"NoFinalLineEnd", "[log4me]\r\npath=logs2", "log4me", "path", "d", "logs2"},
        {"CrLineEnds", "[log4me]\rpath=logs2\rlevel=error\r", "log4me", "level", "d", "error"},
        {"LoneCrEndsHeaderAmongLfLines", "[log4me]\rlevel=\n", "log4me", "level", "info", ""},
        {"LoneCrEndsKeyLineAmongLfLines", "=\r[log4me]\npath=", "log4me", "path", "logs", ""},
        // Windows reads a "UTF-8 with BOM" file as ANSI: the mark's bytes begin the first line,
        // which then is no section header. A header on a later line is found.
        {"Utf8ByteOrderMark", "\xEF\xBB\xBF[log4me]\r\npath=logs2\r\n", "log4me", "path", "d", "d"},
        {"Utf8ByteOrderMarkOnALineOfItsOwn", "\xEF\xBB\xBF\r\n[log4me]\r\npath=logs2\r\n", "log4me",
         "path", "d", "logs2"},
        {"Utf16ByteOrderMark", Utf16LittleEndian("[log]\r\npath=x\r\n"), "log", "path", "d", "x"},
        {"ChineseValue", "[log4me]\r\npath=\xE6\x97\xA5\xE5\xBF\x97\r\n", "log4me", "path", "d",
         "\xE6\x97\xA5\xE5\xBF\x97", true},

        // Length
        {"LongValueCut", "[log4me]\r\npath=" + std::string(3000, 'a') + "\r\n", "log4me", "path",
         "d", std::string(2047, 'a')},
        {"ValueOfBufferLength", "[log4me]\r\npath=" + std::string(2047, 'b') + "\r\n", "log4me",
         "path", "d", std::string(2047, 'b')},
        {"LongQuotedValueCut", "[log4me]\r\npath=\"" + std::string(3000, 'c') + "\"\r\n", "log4me",
         "path", "d", std::string(2047, 'c')},

        // Comments and headers
        {"CommentLinesAreNotKeys", "[log4me]\r\n;path=commented\r\n; level=error\r\npath=x\r\n",
         "log4me", "level", "info", "info"},
        {"CommentBeforeKey", "; station logger\r\n[log4me]\r\n;path=y\r\npath=x\r\n", "log4me",
         "path", "d", "x"},
        {"TextAfterHeader", "[log4me] ; the logger\r\npath=x\r\n", "log4me", "path", "d", "x"},
        {"HeaderRunsToLastBracket", "[log4me] [old]\r\npath=x\r\n", "log4me", "path", "d", "d"},
        {"BracketWithoutCloseIsAKey", "[log4me\r\npath=x\r\n", "log4me", "path", "d", "d"},
        {"BlankLinesIgnored", "\r\n\r\n[log4me]\r\n\r\n  \r\npath=x\r\n", "log4me", "path", "d",
         "x"},
    };
    return cases;
}

}  // namespace profile_cases
