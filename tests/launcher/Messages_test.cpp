#include "Messages.h"

#include <gtest/gtest.h>

namespace drvlaunch {
namespace {

TEST(Messages, CodesAreUpperCaseHexadecimalWithoutPadding) {
    EXPECT_EQ(processExitCodeLine(0), L"Process exit code = 0x0\n");
    EXPECT_EQ(processExitCodeLine(0x2A), L"Process exit code = 0x2A\n");
    EXPECT_EQ(processExitCodeLine(0xFFFFFFFF), L"Process exit code = 0xFFFFFFFF\n");
    EXPECT_EQ(threadExitCodeLine(0xABCDEF), L"Thread exit code = 0xABCDEF\n");
    EXPECT_EQ(threadExitCodeLine(0x10000000), L"Thread exit code = 0x10000000\n");
}

TEST(Messages, ErrorLineCarriesOperationCodeAndText) {
    EXPECT_EQ(errorLine(kCreateProcessOperation, 2, L"No such file or directory"),
              L"ERROR: CreateProcess(): 0x2: No such file or directory\n");
    EXPECT_EQ(errorLine(kWaitOperation, 0xA, L"No child processes"),
              L"ERROR: WaitForSingleObject: 0xA: No child processes\n");
}

TEST(Messages, ApplicationDirectoryLineKeepsTheFolderAsItIs) {
    EXPECT_EQ(applicationDirectoryLine(L"C:\\x y\\\u00e9"),
              L"Application directory: C:\\x y\\\u00e9\n");
}

}  // namespace
}  // namespace drvlaunch
