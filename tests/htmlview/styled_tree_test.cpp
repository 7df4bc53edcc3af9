// SPDX-License-Identifier: GPL-3.0-or-later
// Misnested and unclosed tags resolved as browsers resolve them, and the
// font each run ends up in; the golden reports run by run as Chromium shows
// them (tests/htmlview/golden_runs/, written by
// tests/gui/write_golden_runs.mjs).
#include <gtest/gtest.h>
#include <iconv.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "htmlview/styled_tree.h"

namespace {

using korvel::htmlview::Node;

// Each run as "text:points/weight/i" in document order, blocks as "|".
void Describe(const Node& node, std::string& out) {
    if (node.kind == Node::Kind::Text) {
        char look[48];
        std::snprintf(look, sizeof look, ":%g/%d%s ", node.run.points, node.run.weight, node.run.italic ? "/i" : "");
        out += node.text + look;
    }
    if (node.kind == Node::Kind::Block || node.kind == Node::Kind::Cell) out += "| ";
    if (node.kind == Node::Kind::Break) out += "<br> ";
    for (const Node& child : node.children) Describe(child, out);
}

std::string Runs(const char* html) {
    std::string out;
    Describe(korvel::htmlview::StyleHtml(html).body, out);
    return out;
}

TEST(StyledTree, ResolvesTagsAsBrowsersDo) {
    const struct {
        const char* html;
        const char* runs;
    } cases[] = {
        // Misnested inline tags: the parser closes and reopens them.
        {"<b>a<i>b</b>c</i>", "a:12/700 b:12/700/i c:12/400/i "},
        // An unclosed paragraph ends where the next starts.
        {"<p>x<p>y", "| x:12/400 | y:12/400 "},
        // Unclosed cells and rows.
        {"<table><tr><td>a<td>b</table>", "| a:12/400 | b:12/400 "},
        // Old documents' tables start afresh but for the family.
        {"<b><table><tr><td>t</table></b>", "| t:12/400 "},
        // Legacy sizes by keyword; blanks collapse, and none starts a line.
        {"<font size=7>  big   text</font>", "big text:36/400 "},
        {"<font size=+1>a</font><small>b</small>", "a:13.5/400 b:10/400 "},
        // A break that ends a block makes no line; one before text does.
        {"<p>a<br>b<br></p>", "| a:12/400 <br> b:12/400 "},
        // Hidden elements show nothing.
        {"<script>x</script><style>y</style>z", "z:12/400 "},
    };
    for (const auto& c : cases) EXPECT_EQ(Runs(c.html), c.runs) << c.html;
}

// The fonts of the machine the golden runs were written on (Debian 12 with
// fonts-liberation2 and fonts-dejavu-core): the family each family the
// reports name is drawn in there, or none (Verdana).
std::string DrawnThere(std::string_view family) {
    static const std::map<std::string, std::string, std::less<>> drawn{
        {"Times New Roman", "Liberation Serif"}, {"Arial", "Liberation Sans"}, {"monospace", "DejaVu Sans Mono"}};
    const auto it = drawn.find(family);
    return it == drawn.end() ? std::string() : it->second;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf8FromCp1251(std::string bytes) {
    const iconv_t convert = iconv_open("UTF-8", "CP1251");
    std::string utf8(bytes.size() * 3, '\0');
    char* in = bytes.data();
    char* out = utf8.data();
    std::size_t inLeft = bytes.size(), outLeft = utf8.size();
    EXPECT_NE(iconv(convert, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(convert);
    utf8.resize(utf8.size() - outLeft);
    return utf8;
}

// Each character that is not blank, with how it is drawn:
// "pixels weight slant framed family".
using Looks = std::vector<std::pair<std::string, std::string>>;

void AddCharacters(std::string_view text, const std::string& look, Looks& into) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) ++length;
        const std::string_view c = text.substr(i, length);
        if (c.find_first_not_of(" \t\n\r\f\v") != std::string_view::npos && c != "\u00A0") into.emplace_back(c, look);
        i += length;
    }
}

std::string Look(long pixels, int weight, bool italic, bool framed, const std::string& family) {
    return std::to_string(pixels) + " " + std::to_string(weight) + (italic ? " italic " : " upright ") +
           (framed ? "framed " : "unframed ") + family;
}

void ViewLooks(const Node& node, bool framed, Looks& into) {
    if (node.kind == Node::Kind::Table) framed = node.table.border > 0;
    if (node.kind == Node::Kind::Text)
        AddCharacters(
            node.text,
            Look(std::lround(node.run.points / 0.75), node.run.weight, node.run.italic, framed, node.run.family), into);
    for (const Node& child : node.children) ViewLooks(child, framed, into);
}

// Lines of tab-separated pixels, weight, slant, framed, family and text.
Looks ChromiumLooks(const std::string& runs) {
    Looks looks;
    std::istringstream lines(runs);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        EXPECT_EQ(fields.size(), 6U) << line;
        if (fields.size() != 6) continue;
        AddCharacters(fields[5],
                      Look(std::lround(std::stod(fields[0])), std::stoi(fields[1]), fields[2] == "italic",
                           fields[3] == "framed", fields[4]),
                      looks);
    }
    return looks;
}

// The first character drawn otherwise, with the characters before it; empty
// when there is none.
std::string FirstDifference(const Looks& view, const Looks& chromium) {
    for (std::size_t i = 0; i < std::max(view.size(), chromium.size()); ++i) {
        if (i < view.size() && i < chromium.size() && view[i] == chromium[i]) continue;
        std::string before;
        for (std::size_t k = i > 20 ? i - 20 : 0; k < i && k < chromium.size(); ++k) before += chromium[k].first;
        const auto side = [i](const Looks& looks) {
            return i < looks.size() ? "\"" + looks[i].first + "\" " + looks[i].second : std::string("(end)");
        };
        return "after \"" + before + "\": view " + side(view) + ", Chromium " + side(chromium);
    }
    return {};
}

TEST(StyledTree, StylesTheGoldenReportsAsChromiumDoes) {
    for (const char* name :
         {"worked_daily_comma", "worked_daily_stop", "worked_per_year_comma", "worked_per_year_stop"}) {
        const std::string html = Utf8FromCp1251(ReadFile(std::string(KORVEL_GOLDEN_DIR "/") + name + ".htm"));
        Looks view;
        ViewLooks(korvel::htmlview::StyleHtml(html, DrawnThere).body, false, view);
        const Looks chromium = ChromiumLooks(ReadFile(std::string(KORVEL_GOLDEN_RUNS_DIR "/") + name + ".tsv"));
        EXPECT_FALSE(chromium.empty()) << name;
        EXPECT_EQ(FirstDifference(view, chromium), "") << name;
    }
}

}  // namespace
