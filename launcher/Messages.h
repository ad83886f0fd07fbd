#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace drvlaunch {

// Every line the launcher prints, in one place.

inline constexpr wchar_t kRunningDpinst[] =
    L"Running dpinst depending on the underlying platform\n";
inline constexpr wchar_t kSixtyFourBitOs[] = L"We are on a 64 bit OS.\n";
inline constexpr wchar_t kThirtyTwoBitOs[] = L"We are on a 32 bit OS.\n";
inline constexpr wchar_t kCreateProcessSucceeded[] = L"CreateProcess succeeded\n";
inline constexpr wchar_t kProcessFinished[] = L"Process finished.\n";
inline constexpr wchar_t kNoProcessCreated[] = L"No process created\n";

// Operation names of the error line.
inline constexpr wchar_t kCreateProcessOperation[] = L"CreateProcess()";
inline constexpr wchar_t kWaitOperation[] = L"WaitForSingleObject";
inline constexpr wchar_t kExitCodeOperation[] = L"GetExitCodeProcess()";

// Refusals of a program path the launcher cannot use; each is followed by kNoProcessCreated.
inline constexpr wchar_t kProgramPathEmpty[] =
    L"ERROR: The program path is empty, so the folder of the installers is unknown\n";
inline constexpr wchar_t kProgramPathHoldsQuote[] =
    L"ERROR: The installer path holds a double quote (\"), which a command line cannot carry\n";

// "Application directory: <directory>\n"
std::wstring applicationDirectoryLine(std::wstring_view directory);

// "Process exit code = 0x<code in upper-case hexadecimal>\n"
std::wstring processExitCodeLine(std::uint32_t code);

// "Thread exit code = 0x<code in upper-case hexadecimal>\n"
std::wstring threadExitCodeLine(std::uint32_t code);

// "ERROR: <operation>: 0x<code in upper-case hexadecimal>: <message>\n"
std::wstring errorLine(std::wstring_view operation, std::uint32_t code, std::wstring_view message);

// Refusal of a program path longer than `maximum` characters.
std::wstring programPathTooLongLine(std::size_t length, std::size_t maximum);

}  // namespace drvlaunch
