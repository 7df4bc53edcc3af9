// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/report_path.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace korvel {
namespace {

namespace fs = std::filesystem;

TEST(ReportPath, IsKorvelHtmInTheHomeFolder) {
    const char* saved = std::getenv("HOME");
    const std::string savedHome = saved ? saved : "";
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    const fs::path fromDatabase = fs::path(user->pw_dir) / "korvel.htm";

    setenv("HOME", "/srv/someone", 1);
    EXPECT_EQ(ReportPath(), fs::path("/srv/someone/korvel.htm"));
    setenv("HOME", "", 1);
    EXPECT_EQ(ReportPath(), fromDatabase);
    unsetenv("HOME");
    EXPECT_EQ(ReportPath(), fromDatabase);

    if (saved) setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace korvel
