#include "ProgramPath.h"

#include <gtest/gtest.h>

namespace drvlaunch {
namespace {

TEST(ProgramPath, FolderIsCutAtTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(applicationDirectory(L"/opt/ocu/Drvlaunch"), L"/opt/ocu");
    EXPECT_EQ(applicationDirectory(L"C:\\Program Files\\Ocu\\Drvlaunch.exe"),
              L"C:\\Program Files\\Ocu");
    EXPECT_EQ(applicationDirectory(L"a\\b/c\\Drvlaunch"), L"a\\b/c");
    EXPECT_EQ(applicationDirectory(L"a/b\\c/Drvlaunch"), L"a/b\\c");
    EXPECT_EQ(applicationDirectory(L"./Drvlaunch"), L".");
}

TEST(ProgramPath, PathWithoutSeparatorStaysWhole) {
    EXPECT_EQ(applicationDirectory(L"Drvlaunch"), L"Drvlaunch");
}

TEST(ProgramPath, SeparatorAtTheStartLeavesAnEmptyFolder) {
    EXPECT_EQ(applicationDirectory(L"/Drvlaunch"), L"");
    EXPECT_EQ(applicationDirectory(L"\\Drvlaunch"), L"");
    EXPECT_EQ(applicationDirectory(L"/opt/ocu/"), L"/opt/ocu");
}

}  // namespace
}  // namespace drvlaunch
