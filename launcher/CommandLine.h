#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drvlaunch {

// A command line is one text: the program path, then the arguments, separated by blanks
// (spaces or tabs). It is read as Windows reads one that CreateProcess gets without an
// application name, the program's C runtime splitting the arguments:
//   - Blanks before the program path are skipped.
//   - The program path runs to the first blank or, when it begins with a double quote, from
//     there to the next double quote. It has no escapes.
//   - Each argument runs to the next blank outside double quotes. Double quotes group and are
//     dropped. Backslashes are literal except before a double quote: 2n backslashes and a quote
//     give n backslashes and the quote groups; 2n+1 backslashes and a quote give n backslashes
//     and a literal quote.
//
// Given an unquoted program path holding blanks, Windows tries each blank-delimited prefix in
// turn ("C:\Program" before "C:\Program Files\..."), so a file at a shorter prefix would run in
// place of the installer. Here there is no such search: buildCommandLine quotes every program
// path that holds a blank, and splitCommandLine reads exactly what was quoted.

// Whether `program` can be the first item of a command line: not when it holds a double quote,
// which would end or start the quoting (Windows file names never hold one).
bool canCarryProgramPath(std::wstring_view program);

// `program`, a blank, and `arguments` (already in command-line form). The program path is put
// in double quotes when it holds a blank or a tab. Requires canCarryProgramPath(program).
std::wstring buildCommandLine(std::wstring_view program, std::wstring_view arguments);

// The items of `line`: the program path first, then each argument. Empty for a line that is
// empty or holds only blanks.
std::vector<std::wstring> splitCommandLine(std::wstring_view line);

}  // namespace drvlaunch
