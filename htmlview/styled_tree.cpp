// SPDX-License-Identifier: GPL-3.0-or-later
#include "htmlview/styled_tree.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "htmlview/legacy_values.h"
#include "htmlview/tag_rules.h"

// Designated initializers name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace korvel::htmlview {

namespace {

// The font-size keywords xx-small to xxx-large in pixels, for the default
// proportional (16 px) and monospace (13 px) sizes, as browsers map <font
// size> 1 to 7 (x-small to xxx-large). Documents without a doctype use the
// older table.
constexpr std::array<int, 8> kQuirksProportional{9, 10, 13, 16, 18, 24, 32, 48};
constexpr std::array<int, 8> kQuirksMonospace{9, 9, 10, 13, 16, 20, 26, 40};
constexpr std::array<int, 8> kStrictMonospace{9, 10, 12, 13, 14, 18, 26, 39};
constexpr int kMedium = 3;
constexpr const char* kLinkColour = "#0000ee";
constexpr const char* kDefaultFamily = "Times New Roman";

std::optional<std::string_view> Attribute(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    if (attribute == nullptr) return std::nullopt;
    return std::string_view(attribute->value);
}

// The computed style a browser gives an element: what its text runs inherit.
struct Style {
    std::vector<std::string> families{kDefaultFamily};
    double px = 16;
    int keyword = kMedium;  // the size keyword it came from, or -1
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int shift = 0;
    std::string colour;
    std::string href;
    Align align = Align::None;
    bool pre = false;

    bool Monospace() const { return families.size() == 1 && Lower(families.front()) == "monospace"; }
};

double KeywordPixels(int keyword, bool monospace, bool quirks) {
    const auto& table = !monospace ? kQuirksProportional : quirks ? kQuirksMonospace : kStrictMonospace;
    return table[static_cast<std::size_t>(std::clamp(keyword, 0, 7))];
}

// How an element sets its content's size: as its parent's, to a keyword
// (a legacy font size, a quirks-mode table), or as a factor of the parent's.
struct SizeChange {
    enum class Kind { Inherited, Keyword, Factor } kind = Kind::Inherited;
    int keyword = kMedium;
    double factor = 1;
};

// <font face size color>.
void ApplyFont(Style& s, const GumboElement& element, SizeChange& size) {
    if (const auto face = Attribute(element, "face")) {
        std::vector<std::string> families = FamilyList(*face);
        if (!families.empty()) s.families = std::move(families);
    }
    if (const auto value = Attribute(element, "size")) {
        if (const std::optional<int> legacy = LegacyFontSize(*value)) size = {SizeChange::Kind::Keyword, *legacy, 1};
    }
    if (const auto colour = Attribute(element, "color")) {
        if (std::string c = LegacyColour(*colour); !c.empty()) s.colour = std::move(c);
    }
}

// The row of the element's tag in the default style sheet, then <font> and
// <a href>.
void ApplyRule(Style& s, const TagRule& rule, const GumboElement& element, SizeChange& size) {
    if (rule.monospace) s.families = {"monospace"};
    s.pre = s.pre || rule.pre;
    if (rule.weight != 0) s.weight = rule.weight;
    s.italic = s.italic || rule.italic;
    s.underline = s.underline || rule.underline;
    s.strike = s.strike || rule.strike;
    if (rule.sizeFactor != 0) size = {SizeChange::Kind::Factor, kMedium, rule.sizeFactor};
    if (rule.shift != 0) s.shift = rule.shift;
    if (rule.align == AlignRule::Clear) s.align = Align::None;
    if (rule.align == AlignRule::Center) s.align = Align::Center;
    if (rule.legacyFont) ApplyFont(s, element, size);
    if (rule.link) {
        if (const auto href = Attribute(element, "href")) {
            s.href = std::string(Trim(*href));
            s.colour = kLinkColour;
            s.underline = true;
        }
    }
    if (rule.takesAlign) {
        if (const auto align = Attribute(element, "align")) {
            if (const Align a = Alignment(*align); a != Align::None) s.align = a;
        }
    }
}

// The content's size in pixels (and keyword, while it has one).
void ApplySize(Style& s, const Style& parent, const SizeChange& size, bool quirks) {
    switch (size.kind) {
        case SizeChange::Kind::Keyword:
            s.keyword = size.keyword;
            s.px = KeywordPixels(size.keyword, s.Monospace(), quirks);
            break;
        case SizeChange::Kind::Factor:
            s.keyword = -1;
            s.px = parent.px * size.factor;
            break;
        case SizeChange::Kind::Inherited:
            // A change between monospace and other families rescales an
            // inherited size: by its keyword, or by the ratio of the defaults.
            if (s.Monospace() != parent.Monospace()) {
                if (s.keyword >= 0)
                    s.px = KeywordPixels(s.keyword, s.Monospace(), quirks);
                else
                    s.px = s.Monospace() ? s.px * 13 / 16 : s.px * 16 / 13;
            }
            break;
    }
}

// The style of `element`'s content, from its parent's: the browser's default
// style sheet and the presentational attributes of the old markup.
Style ChildStyle(const Style& parent, const GumboElement& element, const TagRule& rule, bool quirks) {
    Style s = parent;
    SizeChange size;
    if (element.tag == GUMBO_TAG_TABLE && quirks) {  // old documents' tables start afresh, but for the family
        s.weight = 400;
        s.italic = false;
        s.colour.clear();
        size.kind = SizeChange::Kind::Keyword;
    }
    ApplyRule(s, rule, element, size);
    ApplySize(s, parent, size, quirks);
    return s;
}

// The one family a browser draws the text in: the first of the list at
// hand, the generic families by the names browsers give them by default;
// else the default font.
std::string DrawnFamilyOf(const std::vector<std::string>& families, const DrawnFamily& drawn) {
    for (const std::string& name : families) {
        const std::string lower = Lower(name);
        const std::string asked = lower == "serif" ? kDefaultFamily : lower == "sans-serif" ? "Arial" : name;
        std::string family = drawn ? drawn(asked) : asked;
        if (!family.empty()) return family;
    }
    return drawn ? drawn(kDefaultFamily) : kDefaultFamily;
}

RunStyle RunOf(const Style& s, const DrawnFamily& drawn) {
    return {DrawnFamilyOf(s.families, drawn), s.px * 0.75, s.weight, s.italic, s.underline, s.strike,
            s.colour,                         s.shift,     s.href};
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The text of an element with text only, as <title>.
std::string TextOf(const GumboNode& element) {
    std::string text;
    const GumboVector& children = element.v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) text += child->v.text.text;
    }
    return text;
}

const GumboNode* Child(const GumboNode& parent, GumboTag tag) {
    const GumboVector& children = parent.v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == tag) return child;
    }
    return nullptr;
}

}  // namespace

namespace {

using Kind = Node::Kind;

// The first or last child that is not blank text, when it is an element.
int EdgeChild(const GumboVector& children, bool first) {
    for (unsigned k = 0; k < children.length; ++k) {
        const unsigned i = first ? k : children.length - 1 - k;
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT) return static_cast<int>(i);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_CDATA) return -1;
    }
    return -1;
}

TableBox TableOf(const GumboElement& table) {
    TableBox box;
    const auto border = Attribute(table, "border");
    if (border) box.border = Trim(*border).empty() ? 1 : std::clamp(Pixels(border, 0, 100), 0, 100);
    if (const auto frame = Attribute(table, "frame"); frame && !border) {
        const std::string f = Lower(Trim(*frame));
        box.frameOnly = f == "border" || f == "box" || f == "above" || f == "below" || f == "hsides" ||
                        f == "vsides" || f == "lhs" || f == "rhs";
        if (box.frameOnly) box.border = 1;
    }
    box.cellSpacing = Pixels(Attribute(table, "cellspacing"), 2, 1000);
    box.cellPadding = Pixels(Attribute(table, "cellpadding"), 1, 1000);
    if (const auto width = Attribute(table, "width")) {
        const std::string w(Trim(*width));
        if (!w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c)) || c == '%';
            }))
            box.width = w;
    }
    if (const auto colour = Attribute(table, "bgcolor")) box.background = LegacyColour(*colour);
    return box;
}

CellBox CellOf(const GumboElement& cell) {
    CellBox box;
    box.header = cell.tag == GUMBO_TAG_TH;
    box.columnSpan = std::max(1, Positive(Attribute(cell, "colspan"), 1000));
    box.rowSpan = std::max(1, Positive(Attribute(cell, "rowspan"), 1000));
    // Browsers centre a cell's content vertically unless told otherwise.
    if (const auto value = Attribute(cell, "valign")) {
        const std::string v = Lower(Trim(*value));
        if (v == "top") box.valign = CellBox::VAlign::Top;
        if (v == "bottom") box.valign = CellBox::VAlign::Bottom;
    }
    if (const auto colour = Attribute(cell, "bgcolor")) box.background = LegacyColour(*colour);
    return box;
}

class Builder {
public:
    Builder(bool quirks, const DrawnFamily& drawn) : quirks_(quirks), drawn_(drawn) {}

    Node Body(const GumboNode& body) {
        Node root;
        Children(body, Style{}, root, Context::Flow);
        return root;  // breaks at its very end make no lines
    }

private:
    // Where a node stands: in flowing content, or among the rows and cells of
    // a table, where only cells hold anything.
    enum class Context { Flow, TablePart };

    void Children(const GumboNode& node, const Style& style, Node& into, Context context) {
        const GumboVector& children = node.v.element.children;
        // Old documents drop the outer margins of a cell's or the page's first
        // and last block.
        const GumboTag tag = node.v.element.tag;
        const bool edges = quirks_ && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH || tag == GUMBO_TAG_BODY);
        const int first = edges ? EdgeChild(children, true) : -1;
        const int last = edges ? EdgeChild(children, false) : -1;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            const int index = static_cast<int>(i);
            if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE)
                Element(*child, style, into, context, {index == first, index == last});
            else if (context == Context::Flow && child->type != GUMBO_NODE_COMMENT)
                Text(child->v.text.text, style, into);
        }
    }

    // Blanks collapse as browsers collapse them: a run of them is one space,
    // and none starts a line.
    void Text(std::string_view text, const Style& style, Node& into) {
        std::string shown;
        for (const char c : text) {
            const bool blank = IsBlank(c) && !style.pre;
            if (blank && collapse_) continue;
            shown += blank ? ' ' : c;
            collapse_ = blank;
        }
        if (shown.empty()) return;
        FlushBreaks(into, 0);
        Node run{.kind = Kind::Text, .text = std::move(shown), .run = RunOf(style, drawn_), .pre = style.pre};
        into.children.push_back(std::move(run));
    }

    struct Edges {
        bool first = false, last = false;
    };

    void Element(const GumboNode& node, const Style& parent, Node& into, Context context, Edges edges) {
        const GumboElement& element = node.v.element;
        const TagRule& rule = RuleOf(element.tag);
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML || rule.box == BoxKind::Hidden ||
            Attribute(element, "hidden"))
            return;
        const Style style = ChildStyle(parent, element, rule, quirks_);
        if (context == Context::TablePart) {
            TablePart(node, rule, style, into);
            return;
        }
        switch (rule.box) {
            case BoxKind::Break:
                ++pendingBreaks_;
                collapse_ = true;
                return;
            case BoxKind::Rule:
                Open(into, Node{.kind = Kind::Rule});
                Close(into.children.back());
                return;
            case BoxKind::Image:
                Image(element, into);
                return;
            case BoxKind::Table:
                Table(node, style, into);
                return;
            case BoxKind::TablePart:
            case BoxKind::Cell:  // only inside a table, where the parser puts them
            case BoxKind::Inline:
            case BoxKind::Hidden:
                Children(node, style, into, Context::Flow);  // inline: its style is in the runs
                return;
            default:
                Box(node, rule, style, into, edges);
        }
    }

    // The block boxes of flowing content: blocks, lists and list items.
    void Box(const GumboNode& node, const TagRule& rule, const Style& style, Node& into, Edges edges) {
        Node box{.kind = Kind::Block, .align = style.align, .pre = style.pre};
        double margin = rule.margin;
        if (rule.box == BoxKind::List) {
            box.kind = Kind::List;
            box.ordered = node.v.element.tag == GUMBO_TAG_OL;
            box.marker = ListMarker(node.v.element);
            margin = listDepth_ == 0 ? 1.0 : 0.0;
        } else if (rule.box == BoxKind::Item) {
            box.kind = Kind::Item;
        }
        box.margins = {edges.first ? 0 : margin * style.px, edges.last ? 0 : margin * style.px,
                       static_cast<double>(rule.sideMargin), rule.leftOnly ? 0.0 : rule.sideMargin};
        Node& opened = Open(into, std::move(box));
        listDepth_ += rule.box == BoxKind::List ? 1 : 0;
        Children(node, style, opened, Context::Flow);
        listDepth_ -= rule.box == BoxKind::List ? 1 : 0;
        Close(opened);
    }

    static std::string ListMarker(const GumboElement& list) {
        const auto type = Attribute(list, "type");
        if (!type) return {};
        const std::string t = Lower(Trim(*type));
        const bool known = t == "1" || t == "a" || t == "i" || t == "disc" || t == "circle" || t == "square";
        return known ? std::string(Trim(*type)) : std::string();
    }

    void Table(const GumboNode& node, const Style& style, Node& into) {
        Node table{.kind = Kind::Table, .table = TableOf(node.v.element)};
        if (const auto align = Attribute(node.v.element, "align")) {
            const Align a = Alignment(*align);
            if (a == Align::Left || a == Align::Right || a == Align::Center) table.align = a;
        }
        Node& opened = Open(into, std::move(table));
        Children(node, style, opened, Context::TablePart);
        Close(opened);
    }

    // Row groups add their rows to the table; a row its cells; anything else
    // among them shows nothing.
    void TablePart(const GumboNode& node, const TagRule& rule, const Style& style, Node& into) {
        if (rule.box == BoxKind::TablePart && node.v.element.tag != GUMBO_TAG_TR) {
            Children(node, style, into, Context::TablePart);
        } else if (rule.box == BoxKind::TablePart) {
            into.children.push_back(Node{.kind = Kind::Row});
            Children(node, style, into.children.back(), Context::TablePart);
        } else if (rule.box == BoxKind::Cell) {
            if (into.kind != Kind::Row) into.children.push_back(Node{.kind = Kind::Row});
            Node& row = into.kind == Kind::Row ? into : into.children.back();
            Node& cell = Open(row, Node{.kind = Kind::Cell, .align = style.align, .cell = CellOf(node.v.element)});
            Children(node, style, cell, Context::Flow);
            Close(cell);
        }
    }

    void Image(const GumboElement& image, Node& into) {
        const auto source = Attribute(image, "src");
        if (!source) return;
        FlushBreaks(into, 0);
        into.children.push_back(Node{.kind = Kind::Image,
                                     .text = std::string(Trim(*source)),
                                     .width = Positive(Attribute(image, "width"), 10000),
                                     .height = Positive(Attribute(image, "height"), 10000)});
        collapse_ = false;
    }

    // Line breaks are kept when something follows them on their line: a
    // break that ends a block makes no empty line in a browser.
    void FlushBreaks(Node& into, int dropped) {
        for (int i = dropped; i < pendingBreaks_; ++i) into.children.push_back(Node{.kind = Kind::Break});
        pendingBreaks_ = 0;
    }

    Node& Open(Node& into, Node box) {
        FlushBreaks(into, 1);
        collapse_ = true;
        into.children.push_back(std::move(box));
        return into.children.back();
    }
    void Close(Node& box) {
        FlushBreaks(box, 1);
        collapse_ = true;
    }

    bool quirks_;
    const DrawnFamily& drawn_;
    int listDepth_ = 0;
    int pendingBreaks_ = 0;
    bool collapse_ = true;
};

}  // namespace

StyledDocument StyleHtml(std::string_view html, const DrawnFamily& drawn) {
    const std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> parsed(
        gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()),
        [](GumboOutput* output) { gumbo_destroy_output(&kGumboDefaultOptions, output); });
    const bool quirks = parsed->document->v.document.doc_type_quirks_mode != GUMBO_DOCTYPE_NO_QUIRKS;
    // The parser always makes <html> with <head> and <body>.
    const GumboNode* head = Child(*parsed->root, GUMBO_TAG_HEAD);
    const GumboNode* body = Child(*parsed->root, GUMBO_TAG_BODY);
    const GumboNode* title = head ? Child(*head, GUMBO_TAG_TITLE) : nullptr;
    return {title ? TextOf(*title) : std::string(), Builder(quirks, drawn).Body(*body)};
}

}  // namespace korvel::htmlview
