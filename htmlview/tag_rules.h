// SPDX-License-Identifier: GPL-3.0-or-later
// The browsers' default style sheet for the elements of the old markup, one
// row an element: what box it makes, its margins, whether it takes an align
// attribute, and how it changes the font of its content.
#pragma once

#include <gumbo.h>

#include <cstdint>

namespace korvel::htmlview {

enum class BoxKind : std::uint8_t {
    Inline,     // its content flows in its parent's lines
    Hidden,     // not shown at all
    Block,      // a block of lines with vertical margins
    List,       // ul, ol, menu, dir
    Item,       // li
    Table,
    TablePart,  // tbody, thead, tfoot, tr: rows and cells only
    Cell,       // td, th
    Break,      // br
    Rule,       // hr
    Image,      // img
};

// What an element does to the alignment it inherits.
enum class AlignRule : std::uint8_t { Inherit, Clear, Center };

struct TagRule {
    BoxKind box = BoxKind::Inline;
    double margin = 0;     // a block's top and bottom margins, in em of its own font
    int sideMargin = 0;    // left and right margins in pixels
    bool leftOnly = false;  // the side margin on the left only
    bool takesAlign = false;
    AlignRule align = AlignRule::Inherit;
    bool monospace = false;
    bool pre = false;
    int weight = 0;  // 0: inherited
    bool italic = false;
    bool underline = false;
    bool strike = false;
    double sizeFactor = 0;  // of the parent's size; 0: inherited
    int shift = 0;          // 1 raised, -1 lowered
    bool link = false;      // <a href>: coloured and underlined
    bool legacyFont = false;  // <font face size color>
};

// The row of `tag`; the default row (inline, no change) for the tags it does
// not name.
const TagRule& RuleOf(GumboTag tag);

}  // namespace korvel::htmlview
