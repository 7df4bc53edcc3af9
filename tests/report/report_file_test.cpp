// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

#include "report/report_document.h"
#include "support/scratch_folder.h"
#include "support/worked_example.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using testing::ReadBytes;

void WriteBytes(const fs::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

using ReportFileTest = testing::ScratchFolderTest;

// Runs `body` in a child process (for limits and identities that must not
// touch the test process) and returns what it returned, or -1.
int InChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// The code of the FatalError that ReplaceFile threw, 0 when it succeeded; a
// description that does not name the path counts as a failure of its own (1).
int ReplaceCode(const fs::path& path, std::string_view bytes) {
    try {
        ReplaceFile(path, bytes);
        return 0;
    } catch (const FatalError& error) {
        return error.Description().find(path.string()) == std::string::npos ? 1 : error.Code();
    }
}

// The disk fills up: a file-size limit makes the write itself fail.
int ReplaceUnderFileSizeLimit(const fs::path& path, std::string_view bytes) {
    return InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        return ReplaceCode(path, bytes);
    });
}

// A folder the user may not write to. Permission bits do not stop root, so a
// root test drops to an unprivileged user first; 2 when there is none.
int ReplaceInReadOnlyFolder(const fs::path& path, std::string_view bytes) {
    const fs::path folder = path.parent_path();
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::permissions(folder, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    const int code = InChild([&] {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) return 2;
        }
        return ReplaceCode(path, bytes);
    });
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    return code;
}

TEST_F(ReportFileTest, AFailureLeavesTheOldReportAndNoTemporaryFile) {
    const std::string oldReport = "<HTML>old report\r\n";
    const std::string newReport(6000, 'n');
    WriteBytes(dir_ / "korvel.htm", oldReport);
    WriteBytes(dir_ / "plain-file", "x");
    fs::create_directories(dir_ / "folder" / "inside");

    const struct {
        const char* name;
        fs::path path;
        std::function<int(const fs::path&, std::string_view)> attempt;
        int code;
    } cases[] = {
        {"folder does not exist", dir_ / "missing" / "korvel.htm", ReplaceCode, kPathNotFound},
        {"folder is a file", dir_ / "plain-file" / "korvel.htm", ReplaceCode, kPathNotFound},
        {"rename over a folder", dir_ / "folder", ReplaceCode, kFileAccessError},
        {"write fails", dir_ / "korvel.htm", ReplaceUnderFileSizeLimit, kDiskFull},
        {"read-only folder", dir_ / "korvel.htm", ReplaceInReadOnlyFolder, kPermissionDenied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = Listing(dir_);
        const int code = c.attempt(c.path, newReport);
        if (code == 2) {  // no unprivileged user to become: only this case is skipped
            std::cout << "[  SKIPPED ] " << c.name << ": no unprivileged user to run as\n";
            continue;
        }
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(ReadBytes(dir_ / "korvel.htm"), oldReport);
        EXPECT_EQ(Listing(dir_), before);
        EXPECT_TRUE(fs::is_directory(dir_ / "folder" / "inside"));
    }
}

TEST_F(ReportFileTest, AReportThatIsALinkStaysALink) {
    fs::create_directory(dir_ / "reports");
    WriteBytes(dir_ / "reports" / "real.htm", "old");
    fs::create_symlink(fs::path("reports") / "real.htm", dir_ / "korvel.htm");
    ReplaceFile(dir_ / "korvel.htm", "new");
    EXPECT_TRUE(fs::is_symlink(dir_ / "korvel.htm"));
    EXPECT_EQ(ReadBytes(dir_ / "reports" / "real.htm"), "new");
    EXPECT_EQ(Listing(dir_ / "reports"), std::set<std::string>{"real.htm"});
}

// A second, shorter report replaces the first one whole.
TEST_F(ReportFileTest, EachRunReplacesTheWholeReportFile) {
    const fs::path path = dir_ / "korvel.htm";
    const struct {
        std::string brand;
        bool perYear;
        char separator;
        std::string expected;
    } runs[] = {{"УОНИ 13/45", false, ',', ReadBytes(fs::path(KORVEL_GOLDEN_DIR) / "worked_daily_comma.htm")},
                {"УОНИ 13/45", true, '.', ReadBytes(fs::path(KORVEL_GOLDEN_DIR) / "worked_per_year_stop.htm")},
                {"Т - 590", false, ',', ""}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.brand);
        RunInputs typed = testing::WorkedExample(run.perYear);
        typed.brand = run.brand;
        const RunOutcome outcome = Calculate(typed, run.separator);
        EXPECT_EQ(WriteReport(outcome.inputs, outcome.results, run.separator, path), std::nullopt);
        std::string expected = run.expected;
        if (expected.empty()) expected = BuildReport(outcome.inputs, outcome.results, run.separator);
        EXPECT_TRUE(ReadBytes(path) == expected);
        EXPECT_EQ(Listing(dir_), std::set<std::string>{"korvel.htm"});
    }
}

TEST_F(ReportFileTest, AReportThatCannotBeWrittenComesBackAsAFailureNamingThePath) {
    const RunOutcome outcome = Calculate(testing::WorkedExample(), ',');
    const fs::path path = dir_ / "missing" / "korvel.htm";
    const auto error = WriteReport(outcome.inputs, outcome.results, ',', path);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Code(), kPathNotFound);
    EXPECT_THAT(error->Description(), HasSubstr(path.string()));
}

}  // namespace
}  // namespace korvel
