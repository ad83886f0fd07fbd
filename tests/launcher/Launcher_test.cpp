#include "Launcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "CapturedOutput.h"
#include "LocaleEnvironment.h"

namespace drvlaunch {
namespace {

using testing::CapturedOutput;
using testing::LocaleEnvironment;

class ScriptedProbe : public BitnessProbe {
public:
    Wow64QueryResult queryWow64Directory() override {
        ++calls;
        return answer;
    }

    Wow64QueryResult answer{Wow64QueryResult::Outcome::Succeeded, 0};
    int calls = 0;
};

// Answers each call as set up and records what it was asked.
class ScriptedRunner : public ProcessRunner {
public:
    int start(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return startError;
    }
    int wait() override {
        ++waits;
        return waitError;
    }
    int exitCode(std::uint32_t& code) override {
        code = exit;
        return exitCodeError;
    }
    std::uint32_t threadExitCode() override { return thread; }

    int startError = 0;
    int waitError = 0;
    int exitCodeError = 0;
    std::uint32_t exit = 0;
    std::uint32_t thread = 0;
    std::vector<std::vector<std::string>> started;
    int waits = 0;
};

class LauncherTest : public ::testing::Test {
protected:
    // Runs the launcher with `programPath` and answers what it printed.
    std::string run(const char* programPath) {
        Console console(output_.fd());
        Launcher launcher(console, probe_, runner_);
        EXPECT_EQ(launcher.run(programPath), 0);
        return output_.text();
    }

    void expectNothingStarted() {
        EXPECT_TRUE(runner_.started.empty());
        EXPECT_EQ(runner_.waits, 0);
    }

    LocaleEnvironment locale_{"C"};  // system messages in English
    CapturedOutput output_;
    ScriptedProbe probe_;
    ScriptedRunner runner_;
};

using Argv = std::vector<std::string>;

TEST_F(LauncherTest, RunsTheSixtyFourBitInstallerAndReportsHowItEnded) {
    runner_.exit = 0x2A;
    runner_.thread = 0x2A00;
    EXPECT_EQ(run("/opt/ocu/Drvlaunch"),
              "Application directory: /opt/ocu\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 64 bit OS.\n"
              "CreateProcess succeeded\n"
              "Process finished.\n"
              "Process exit code = 0x2A\n"
              "Thread exit code = 0x2A00\n");
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"/opt/ocu/drivers/dpinst64.exe", "/lm"}));
    EXPECT_EQ(runner_.waits, 1);
}

TEST_F(LauncherTest, RunsTheThirtyTwoBitInstallerWhenTheQueryIsMissing) {
    probe_.answer = {Wow64QueryResult::Outcome::Missing, 0};
    const std::string text = run("/opt/ocu/Drvlaunch");
    EXPECT_NE(text.find("We are on a 32 bit OS.\n"), std::string::npos) << text;
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"/opt/ocu/drivers/dpinst32.exe", "/lm"}));
}

TEST_F(LauncherTest, RunsTheThirtyTwoBitInstallerWhenTheQueryIsNotImplemented) {
    probe_.answer = {Wow64QueryResult::Outcome::Failed, ENOSYS};
    EXPECT_EQ(run("/opt/ocu/Drvlaunch"),
              "Application directory: /opt/ocu\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 32 bit OS.\n"
              "CreateProcess succeeded\n"
              "Process finished.\n"
              "Process exit code = 0x0\n"
              "Thread exit code = 0x0\n");
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"/opt/ocu/drivers/dpinst32.exe", "/lm"}));
    EXPECT_EQ(probe_.calls, 1);
}

TEST_F(LauncherTest, RunsTheSixtyFourBitInstallerWhenTheQueryFailsOtherwise) {
    probe_.answer = {Wow64QueryResult::Outcome::Failed, EACCES};
    run("/opt/ocu/Drvlaunch");
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0][0], "/opt/ocu/drivers/dpinst64.exe");
}

TEST_F(LauncherTest, ArgumentWithoutSeparatorIsTheWholeFolder) {
    const std::string text = run("Drvlaunch");
    EXPECT_EQ(text.rfind("Application directory: Drvlaunch\n", 0), 0u) << text;
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"Drvlaunch/drivers/dpinst64.exe", "/lm"}));
}

TEST_F(LauncherTest, BackslashesInTheProgramPathSeparateToo) {
    const std::string text = run("C:\\Ocu\\Drvlaunch.exe");
    EXPECT_EQ(text.rfind("Application directory: C:\\Ocu\n", 0), 0u) << text;
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"C:\\Ocu/drivers/dpinst64.exe", "/lm"}));
}

TEST_F(LauncherTest, ProgramAtTheRootPrintsNoFolder) {
    EXPECT_EQ(run("/Drvlaunch").rfind("Running dpinst depending on the underlying platform\n", 0),
              0u);
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"/drivers/dpinst64.exe", "/lm"}));
}

TEST_F(LauncherTest, FolderWithBlanksIsOneProgramPath) {
    run("/opt/my dir/\tx/Drvlaunch");
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0], (Argv{"/opt/my dir/\tx/drivers/dpinst64.exe", "/lm"}));
}

TEST_F(LauncherTest, FolderWithADoubleQuoteIsRefused) {
    EXPECT_EQ(run("/opt/a\"b/Drvlaunch"),
              "Application directory: /opt/a\"b\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 64 bit OS.\n"
              "ERROR: The installer path holds a double quote (\"), which a command line cannot "
              "carry\n"
              "No process created\n");
    expectNothingStarted();
}

TEST_F(LauncherTest, NonAsciiFolderIsPrintedAsUtf8AndPassedOnAsItCame) {
    const char* path = "/tmp/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x97\xA5/Drvlaunch";
    const std::string text = run(path);
    EXPECT_EQ(text.rfind("Application directory: /tmp/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "
                         "\xE6\x97\xA5\n",
                         0),
              0u)
        << text;
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0][0],
              "/tmp/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x97\xA5/drivers/dpinst64.exe");
}

TEST_F(LauncherTest, FolderThatIsNotUtf8IsShownReplacedButPassedOnUnchanged) {
    const std::string text = run("/tmp/a\xFF\xC3/Drvlaunch");
    EXPECT_EQ(text.rfind("Application directory: /tmp/a\xEF\xBF\xBD\xEF\xBF\xBD\n", 0), 0u) << text;
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0][0], "/tmp/a\xFF\xC3/drivers/dpinst64.exe");
}

TEST_F(LauncherTest, EmptyOrMissingProgramPathIsRefused) {
    for (const char* path : {"", static_cast<const char*>(nullptr)}) {
        CapturedOutput output;
        Console console(output.fd());
        Launcher launcher(console, probe_, runner_);
        EXPECT_EQ(launcher.run(path), 0);
        EXPECT_EQ(output.text(),
                  "ERROR: The program path is empty, so the folder of the installers is unknown\n"
                  "No process created\n");
    }
    expectNothingStarted();
    EXPECT_EQ(probe_.calls, 0);
}

// A program path of `length` characters: a folder, then "/Drvlaunch".
std::string pathOfLength(std::size_t length, const std::string& character = "a") {
    const std::string name = "/Drvlaunch";
    std::string path;
    for (std::size_t i = 0; i < length - name.size(); ++i) {
        path += i % 100 == 0 ? std::string("/") : character;
    }
    return path + name;
}

TEST_F(LauncherTest, ProgramPathOf1023CharactersIsUsed) {
    const std::string path = pathOfLength(1023);
    ASSERT_EQ(path.size(), 1023u);
    run(path.c_str());
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0][0], path.substr(0, 1013) + "/drivers/dpinst64.exe");
}

TEST_F(LauncherTest, ProgramPathOf1024CharactersIsRefused) {
    EXPECT_EQ(run(pathOfLength(1024).c_str()),
              "ERROR: The program path is 1024 characters long; at most 1023 fit\n"
              "No process created\n");
    expectNothingStarted();
}

TEST_F(LauncherTest, ProgramPathOf5000CharactersIsRefused) {
    EXPECT_EQ(run(pathOfLength(5000).c_str()),
              "ERROR: The program path is 5000 characters long; at most 1023 fit\n"
              "No process created\n");
    expectNothingStarted();
}

TEST_F(LauncherTest, LengthLimitCountsCharactersNotBytes) {
    const std::string fits = pathOfLength(1023, "\xC3\xA9");  // "é", two bytes each
    ASSERT_GT(fits.size(), 1900u);
    run(fits.c_str());
    EXPECT_EQ(runner_.started.size(), 1u);

    CapturedOutput output;
    Console console(output.fd());
    Launcher launcher(console, probe_, runner_);
    launcher.run(pathOfLength(1024, "\xC3\xA9").c_str());
    EXPECT_EQ(output.text(),
              "ERROR: The program path is 1024 characters long; at most 1023 fit\n"
              "No process created\n");
    EXPECT_EQ(runner_.started.size(), 1u);
}

TEST_F(LauncherTest, InstallerThatCannotStartIsReportedWithTheSystemsText) {
    runner_.startError = ENOENT;
    EXPECT_EQ(run("/opt/ocu/Drvlaunch"),
              "Application directory: /opt/ocu\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 64 bit OS.\n"
              "ERROR: CreateProcess(): 0x2: No such file or directory\n"
              "No process created\n");
    EXPECT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.waits, 0);
}

TEST_F(LauncherTest, ErrorWithoutSystemTextPrintsNoErrorLine) {
    runner_.startError = 0x7ABC;
    EXPECT_EQ(run("/opt/ocu/Drvlaunch"),
              "Application directory: /opt/ocu\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 64 bit OS.\n"
              "No process created\n");
}

TEST_F(LauncherTest, FailedWaitAndExitCodeQueryAreReportedAndTheThreadLineStillFollows) {
    runner_.waitError = ECHILD;
    runner_.exitCodeError = ECHILD;
    runner_.thread = 0;
    EXPECT_EQ(run("/opt/ocu/Drvlaunch"),
              "Application directory: /opt/ocu\n"
              "Running dpinst depending on the underlying platform\n"
              "We are on a 64 bit OS.\n"
              "CreateProcess succeeded\n"
              "ERROR: WaitForSingleObject: 0xA: No child processes\n"
              "ERROR: GetExitCodeProcess(): 0xA: No child processes\n"
              "Thread exit code = 0x0\n");
}

TEST_F(LauncherTest, ExitCodeIsPrintedNotInterpreted) {
    runner_.exit = 0xFFFFFFFF;
    runner_.thread = 0xFF00;
    const std::string text = run("/opt/ocu/Drvlaunch");
    EXPECT_NE(text.find("Process finished.\nProcess exit code = 0xFFFFFFFF\n"
                        "Thread exit code = 0xFF00\n"),
              std::string::npos)
        << text;
}

}  // namespace
}  // namespace drvlaunch
