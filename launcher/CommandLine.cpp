#include "CommandLine.h"

namespace drvlaunch {

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Reads the program path starting at `at`, leaving `at` after it (and after its closing quote).
std::wstring readProgramPath(std::wstring_view line, std::size_t& at) {
    if (line[at] == L'"') {
        const std::size_t close = line.find(L'"', at + 1);
        const std::size_t end = close == std::wstring_view::npos ? line.size() : close;
        std::wstring program(line.substr(at + 1, end - at - 1));
        at = close == std::wstring_view::npos ? line.size() : close + 1;
        return program;
    }
    const std::size_t start = at;
    while (at < line.size() && !isBlank(line[at])) {
        ++at;
    }
    return std::wstring(line.substr(start, at - start));
}

// Reads one argument starting at `at` (not a blank), leaving `at` at the blank or end after it.
std::wstring readArgument(std::wstring_view line, std::size_t& at) {
    std::wstring argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !isBlank(line[at]))) {
        if (line[at] == L'\\') {
            std::size_t backslashes = 0;
            while (at < line.size() && line[at] == L'\\') {
                ++backslashes;
                ++at;
            }
            if (at < line.size() && line[at] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                    ++at;
                }
            } else {
                argument.append(backslashes, L'\\');
            }
        } else if (line[at] == L'"') {
            quoted = !quoted;
            ++at;
        } else {
            argument += line[at++];
        }
    }
    return argument;
}

}  // namespace

bool canCarryProgramPath(std::wstring_view program) {
    return program.find(L'"') == std::wstring_view::npos;
}

std::wstring buildCommandLine(std::wstring_view program, std::wstring_view arguments) {
    const bool needsQuotes = program.find_first_of(L" \t") != std::wstring_view::npos;
    std::wstring line;
    if (needsQuotes) {
        line += L'"';
    }
    line += program;
    if (needsQuotes) {
        line += L'"';
    }
    line += L' ';
    line += arguments;
    return line;
}

std::vector<std::wstring> splitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> items;
    std::size_t at = 0;
    while (at < line.size() && isBlank(line[at])) {
        ++at;
    }
    if (at == line.size()) {
        return items;
    }
    items.push_back(readProgramPath(line, at));
    while (true) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at == line.size()) {
            return items;
        }
        items.push_back(readArgument(line, at));
    }
}

}  // namespace drvlaunch
