// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/pollution_sources.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvel {
namespace {

// A post as the run left it: ok with G and M of the first two substances, or failed.
struct Post {
    std::string pollutionSource;
    bool ok;
    double g0, m0, g1, m1;
};

StationOutcome Outcome(const Post& post) {
    StationOutcome outcome;
    outcome.ok = outcome.computed = post.ok;
    outcome.status = post.ok ? "ok" : "Ошибка 13: Несоответствие типа";
    outcome.results.maxEmission[0] = post.g0;
    outcome.results.grossEmission[0] = post.m0;
    outcome.results.maxEmission[1] = post.g1;
    outcome.results.grossEmission[1] = post.m1;
    return outcome;
}

PollutionSourceParameters Parameters(std::string number, std::string name, std::string n, std::string eta0) {
    PollutionSourceParameters p;
    p.number = std::move(number);
    p.name = std::move(name);
    p.simultaneous = std::move(n);
    p.cleaning[0] = std::move(eta0);
    return p;
}

TEST(PollutionSources, PostsGroupedCleanedAndAccountedFor) {
    const std::vector<Post> posts{
        {"0001", true, 0.25, 1, 0.125, 0.5},  // 1: "1" and "0001" are one source
        {"1", true, 0.5, 2, 0, 0},            // 2: ties with row 3 for the N = 2 largest
        {" 0001 ", true, 0.5, 0.5, 0, 0},     // 3
        {"0001", false, 9, 9, 9, 9},          // 4: failed, in no sum
        {"", true, 0.125, 0.25, 0, 0},        // 5: unassigned
        {"6001", true, 0.0625, 0.125, 0, 0},  // 6: η 100
        {"", false, 0, 0, 0, 0},              // 7: unassigned, failed
    };
    PollutionSourceBuilder builder({Parameters("0001", "Труба 1", "2", "37,5"), Parameters("6001", "Ворота", "", "100"),
                                    Parameters("0009", "Вытяжка", "", "0")});
    for (std::size_t i = 0; i < posts.size(); ++i) {
        StationInputs typed;
        typed.pollutionSource = posts[i].pollutionSource;
        builder.Add(i + 1, typed, Outcome(posts[i]));
    }
    const std::string m0 = ";" + std::string(SubstanceCatalogue[0].code) + ";" + std::string(SubstanceCatalogue[0].name);
    const std::string m1 = ";" + std::string(SubstanceCatalogue[1].code) + ";" + std::string(SubstanceCatalogue[1].name);
    const std::vector<std::string> expected{
        "pollution_source;name;posts;simultaneous;status;code;substance;g_release_g_s;m_release_t_year;"
        "cleaning_percent;g_g_s;m_t_year",
        "0001;Труба 1;4;2;\"ошибка в строке 4; эти посты не вошли в суммы\"" + m0 + ";1;3,5;37,5;0,625;2,1875",
        "0001;Труба 1;4;2;\"ошибка в строке 4; эти посты не вошли в суммы\"" + m1 + ";0,125;0,5;0;0,125;0,5",
        "0009;Вытяжка;0;;не используется: ни один пост не отнесен к этому ИЗА;;;;;;;",
        "6001;Ворота;1;1;ok" + m0 + ";0,0625;0,125;100;0;0",
        ";не отнесены к ИЗА;2;;\"ошибка в строке 7; эти посты не вошли в суммы\"" + m0 + ";0,125;0,25;0;0,125;0,25",
        // M before cleaning is the summary's total over the ok posts.
        "итого;;;;" + m0 + ";;3,875;;;2,4375",
        "итого;;;;" + m1 + ";;0,5;;;0,5",
    };
    const std::string csv = PollutionSourcesCsv(builder.Finish(), ',');
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    std::istringstream lines(csv.substr(3));
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.back(), '\r');
        got.push_back(line.substr(0, line.size() - 1));
    }
    EXPECT_EQ(got, expected);
}

TEST(PollutionSources, AnIzaNumberThatIsNoneFailsItsRow) {
    StationInputs typed;
    typed.pollutionSource = "00012";
    const StationOutcome outcome = RunStation(typed, '.', nullptr);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.status, "pollution_source «00012»: номер ИЗА - от 1 до 4 цифр (0001, 6001)");
}

}  // namespace
}  // namespace korvel
