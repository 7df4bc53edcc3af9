// SPDX-License-Identifier: GPL-3.0-or-later
// HTML as web browsers read it, for a rich-text view that does not: the
// markup is parsed by the HTML5 rules (unclosed and misnested tags resolved
// as browsers resolve them) and styled as browsers style it with their default
// settings (16 px text, Times New Roman, monospace at 13 px). The result is a
// tree of block structure (blocks, lists, tables, line breaks, images) whose
// leaves are runs of text, each with the one font it is drawn in.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::htmlview {

enum class Align { None, Left, Right, Center, Justify };

// What a run of text is drawn in.
struct RunStyle {
    std::string family;
    double points = 12;  // points, so that printing scales the text with the page
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::string colour;  // #rgb, #rrggbb or a colour name; empty: the default
    int shift = 0;       // 1 raised (sup), -1 lowered (sub); the size is already smaller
    std::string href;    // a link's address
};

// Vertical margins in pixels, collapsed as browsers collapse them; side
// margins in pixels.
struct Margins {
    double top = 0, bottom = 0, left = 0, right = 0;
};

struct TableBox {
    int border = 0;  // in pixels; 0 for none
    // A border attribute frames the table and each cell (outset and inset);
    // frame="border" and its sides frame the table alone with a solid line.
    bool frameOnly = false;
    int cellSpacing = 2;
    int cellPadding = 1;
    std::string width;  // pixels or a percentage ("100%"); empty: as wide as its content
    std::string background;
};

struct CellBox {
    bool header = false;
    int columnSpan = 1;
    int rowSpan = 1;
    enum class VAlign { Middle, Top, Bottom } valign = VAlign::Middle;
    std::string background;
};

struct Node {
    enum class Kind { Body, Block, List, Item, Table, Row, Cell, Text, Break, Rule, Image };
    Kind kind = Kind::Body;
    std::string text;  // Text: the characters, blanks collapsed unless `pre`; Image: its source
    RunStyle run;      // Text
    Align align = Align::None;  // Block, Item, Cell: the alignment of its lines
    Margins margins;            // Block, List
    bool pre = false;           // Block, Text: lines kept as written
    bool ordered = false;       // List
    std::string marker;         // List: its type attribute (1, a, A, i, I, disc, circle, square), or empty
    TableBox table;             // Table
    CellBox cell;               // Cell
    int width = 0, height = 0;  // Image; 0 when not given
    std::vector<Node> children;
};

struct StyledDocument {
    std::string title;
    Node body;
};

// `drawn` gives the installed family a browser draws a family in (the family
// itself, or a metric-compatible stand-in, or for the generic "monospace" the
// system's), or an empty name when it has none: browsers skip those in a list
// of families. Without `drawn` every family counts as installed.
using DrawnFamily = std::function<std::string(std::string_view family)>;

// `html` and the texts of the result are UTF-8. Scripts, styles and other
// content browsers do not show are left out.
StyledDocument StyleHtml(std::string_view html, const DrawnFamily& drawn = {});

}  // namespace korvel::htmlview
