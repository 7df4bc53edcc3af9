// SPDX-License-Identifier: GPL-3.0-or-later
#include "htmlview/tag_rules.h"

#include <array>
#include <cstddef>

// Designated initializers name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace korvel::htmlview {

namespace {

struct Row {
    GumboTag tag;
    TagRule rule;
};

// The factor of <small>, <big>, <sub> and <sup>.
constexpr double kStep = 1.2;

constexpr TagRule Hidden{.box = BoxKind::Hidden};
constexpr TagRule Block(double em, bool takesAlign = false) {
    return {.box = BoxKind::Block, .margin = em, .takesAlign = takesAlign};
}
constexpr TagRule Heading(double em, double size) {
    return {.box = BoxKind::Block, .margin = em, .takesAlign = true, .weight = 700, .sizeFactor = size};
}
constexpr TagRule Monospace(bool pre) {
    return {.box = pre ? BoxKind::Block : BoxKind::Inline, .margin = pre ? 1.0 : 0, .monospace = true, .pre = pre};
}
constexpr TagRule Bold{.weight = 700};
constexpr TagRule Italic{.italic = true};
constexpr TagRule Underline{.underline = true};
constexpr TagRule Strike{.strike = true};
constexpr TagRule TablePart{.box = BoxKind::TablePart, .takesAlign = true};

// Elements browsers do not show, block boxes with their margins, lists and
// tables, and the phrase elements that change the font.
constexpr Row kRows[] = {
    {GUMBO_TAG_HEAD, Hidden},       {GUMBO_TAG_TITLE, Hidden},    {GUMBO_TAG_SCRIPT, Hidden},
    {GUMBO_TAG_STYLE, Hidden},      {GUMBO_TAG_NOSCRIPT, Hidden}, {GUMBO_TAG_TEMPLATE, Hidden},
    {GUMBO_TAG_IFRAME, Hidden},     {GUMBO_TAG_OBJECT, Hidden},   {GUMBO_TAG_EMBED, Hidden},
    {GUMBO_TAG_APPLET, Hidden},     {GUMBO_TAG_VIDEO, Hidden},    {GUMBO_TAG_AUDIO, Hidden},
    {GUMBO_TAG_CANVAS, Hidden},     {GUMBO_TAG_SVG, Hidden},      {GUMBO_TAG_MATH, Hidden},
    {GUMBO_TAG_INPUT, Hidden},      {GUMBO_TAG_SELECT, Hidden},   {GUMBO_TAG_TEXTAREA, Hidden},
    {GUMBO_TAG_DATALIST, Hidden},   {GUMBO_TAG_PARAM, Hidden},    {GUMBO_TAG_SOURCE, Hidden},
    {GUMBO_TAG_TRACK, Hidden},      {GUMBO_TAG_AREA, Hidden},     {GUMBO_TAG_RP, Hidden},
    {GUMBO_TAG_FRAMESET, Hidden},   {GUMBO_TAG_NOEMBED, Hidden},  {GUMBO_TAG_NOFRAMES, Hidden},
    {GUMBO_TAG_COLGROUP, Hidden},   {GUMBO_TAG_COL, Hidden},

    {GUMBO_TAG_P, Block(1, true)},  {GUMBO_TAG_DIV, Block(0, true)},
    {GUMBO_TAG_BLOCKQUOTE, {.box = BoxKind::Block, .margin = 1, .sideMargin = 40}},
    {GUMBO_TAG_FIGURE, {.box = BoxKind::Block, .margin = 1, .sideMargin = 40}},
    {GUMBO_TAG_DD, {.box = BoxKind::Block, .sideMargin = 40, .leftOnly = true}},
    {GUMBO_TAG_DL, Block(1)},       {GUMBO_TAG_ADDRESS, {.box = BoxKind::Block, .italic = true}},
    {GUMBO_TAG_CENTER, {.box = BoxKind::Block, .align = AlignRule::Center}},
    {GUMBO_TAG_ARTICLE, Block(0)},  {GUMBO_TAG_SECTION, Block(0)}, {GUMBO_TAG_NAV, Block(0)},
    {GUMBO_TAG_ASIDE, Block(0)},    {GUMBO_TAG_HGROUP, Block(0)},  {GUMBO_TAG_HEADER, Block(0)},
    {GUMBO_TAG_FOOTER, Block(0)},   {GUMBO_TAG_MAIN, Block(0)},    {GUMBO_TAG_DT, Block(0)},
    {GUMBO_TAG_FIGCAPTION, Block(0)}, {GUMBO_TAG_FORM, Block(0)},  {GUMBO_TAG_FIELDSET, Block(0)},
    {GUMBO_TAG_LEGEND, Block(0, true)}, {GUMBO_TAG_DETAILS, Block(0)}, {GUMBO_TAG_SUMMARY, Block(0)},
    {GUMBO_TAG_CAPTION, Block(0, true)}, {GUMBO_TAG_MULTICOL, Block(0)},
    {GUMBO_TAG_H1, Heading(0.67, 2.0)}, {GUMBO_TAG_H2, Heading(0.83, 1.5)}, {GUMBO_TAG_H3, Heading(1, 1.17)},
    {GUMBO_TAG_H4, Heading(1.33, 1.0)}, {GUMBO_TAG_H5, Heading(1.67, 0.83)}, {GUMBO_TAG_H6, Heading(2.33, 0.67)},
    {GUMBO_TAG_PRE, Monospace(true)}, {GUMBO_TAG_LISTING, Monospace(true)}, {GUMBO_TAG_XMP, Monospace(true)},
    {GUMBO_TAG_PLAINTEXT, Monospace(true)},

    {GUMBO_TAG_UL, {.box = BoxKind::List}},   {GUMBO_TAG_OL, {.box = BoxKind::List}},
    {GUMBO_TAG_MENU, {.box = BoxKind::List}}, {GUMBO_TAG_DIR, {.box = BoxKind::List}},
    {GUMBO_TAG_LI, {.box = BoxKind::Item}},
    {GUMBO_TAG_TABLE, {.box = BoxKind::Table, .align = AlignRule::Clear}},
    {GUMBO_TAG_TBODY, TablePart}, {GUMBO_TAG_THEAD, TablePart}, {GUMBO_TAG_TFOOT, TablePart},
    {GUMBO_TAG_TR, TablePart},
    {GUMBO_TAG_TD, {.box = BoxKind::Cell, .takesAlign = true}},
    {GUMBO_TAG_TH, {.box = BoxKind::Cell, .takesAlign = true, .align = AlignRule::Center, .weight = 700}},
    {GUMBO_TAG_BR, {.box = BoxKind::Break}}, {GUMBO_TAG_HR, {.box = BoxKind::Rule}},
    {GUMBO_TAG_IMG, {.box = BoxKind::Image}},

    {GUMBO_TAG_TT, Monospace(false)}, {GUMBO_TAG_CODE, Monospace(false)}, {GUMBO_TAG_KBD, Monospace(false)},
    {GUMBO_TAG_SAMP, Monospace(false)},
    {GUMBO_TAG_B, Bold},         {GUMBO_TAG_STRONG, Bold},
    {GUMBO_TAG_I, Italic},       {GUMBO_TAG_EM, Italic},       {GUMBO_TAG_CITE, Italic},
    {GUMBO_TAG_VAR, Italic},     {GUMBO_TAG_DFN, Italic},
    {GUMBO_TAG_U, Underline},    {GUMBO_TAG_INS, Underline},
    {GUMBO_TAG_S, Strike},       {GUMBO_TAG_STRIKE, Strike},   {GUMBO_TAG_DEL, Strike},
    {GUMBO_TAG_SMALL, {.sizeFactor = 1 / kStep}},
    {GUMBO_TAG_SUB, {.sizeFactor = 1 / kStep, .shift = -1}},
    {GUMBO_TAG_SUP, {.sizeFactor = 1 / kStep, .shift = 1}},
    {GUMBO_TAG_BIG, {.sizeFactor = kStep}},
    {GUMBO_TAG_A, {.link = true}},
    {GUMBO_TAG_FONT, {.legacyFont = true}},
};

// Indexed by tag, built by the compiler: a look-up is one load.
constexpr auto kTable = [] {
    std::array<TagRule, GUMBO_TAG_LAST + 1> table{};
    for (const Row& row : kRows) table[static_cast<std::size_t>(row.tag)] = row.rule;
    return table;
}();

}  // namespace

const TagRule& RuleOf(GumboTag tag) {
    const auto index = static_cast<std::size_t>(tag);
    return index < kTable.size() ? kTable[index] : kTable[GUMBO_TAG_UNKNOWN];
}

}  // namespace korvel::htmlview
