// SPDX-License-Identifier: GPL-3.0-or-later
// Misnested and unclosed tags resolved as browsers resolve them, and the
// font each run ends up in.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

}  // namespace
