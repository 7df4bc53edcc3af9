// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/report_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "calc/number_rules.h"
#include "support/scratch_folder.h"

namespace korvel::batch {
namespace {

namespace fs = std::filesystem;

using testing::ReadBytes;

class ReportFilesTest : public testing::ScratchFolderTest {
protected:
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
};

TEST_F(ReportFilesTest, ReplacesOldAndWritesNewFilesLeavingNoSpareBehind) {
    std::ofstream(dir_ / "a.htm") << "old a, longer than the new one";
    std::ofstream(dir_ / "b.htm") << "old b";
    {
        ReportFiles files(dir_);
        files.Replace(dir_ / "a.htm", "new a");
        files.Replace(dir_ / "c.htm", "new c");  // no file before
        files.Replace(dir_ / "b.htm", "new b");
        files.Replace(dir_ / "a.htm", "newer a");
        EXPECT_EQ(ReadBytes(dir_ / "a.htm"), "newer a");
        EXPECT_EQ(ReadBytes(dir_ / "b.htm"), "new b");
        EXPECT_EQ(ReadBytes(dir_ / "c.htm"), "new c");
    }
    EXPECT_EQ(Entries(), 3u);
}

// Anything but a plain file is left to ReplaceFile, as in the window: a
// folder is an error, a link stays a link and its target gets the report.
TEST_F(ReportFilesTest, TradesOnlyPlainFiles) {
    fs::create_directories(dir_ / "taken.htm" / "inside");
    std::ofstream(dir_ / "linked-to") << "old";
    fs::create_symlink(dir_ / "linked-to", dir_ / "link.htm");
    {
        ReportFiles files(dir_);
        files.Replace(dir_ / "first.htm", "x");  // makes a spare first
        files.Replace(dir_ / "first.htm", "y");
        EXPECT_THROW(files.Replace(dir_ / "taken.htm", "report"), FatalError);
        files.Replace(dir_ / "link.htm", "report");
    }
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.htm" / "inside"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.htm"));
    EXPECT_EQ(ReadBytes(dir_ / "linked-to"), "report");
    EXPECT_EQ(ReadBytes(dir_ / "first.htm"), "y");
    EXPECT_EQ(Entries(), 4u);
}

}  // namespace
}  // namespace korvel::batch
