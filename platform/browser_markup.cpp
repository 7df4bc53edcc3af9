// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/browser_markup.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace korvel {

namespace {

// The font-size keywords xx-small to xxx-large in pixels, for the default
// proportional (16 px) and monospace (13 px) sizes, as browsers map <font
// size> 1 to 7 (x-small to xxx-large). Documents without a doctype use the
// older table.
constexpr std::array<int, 8> kQuirksProportional{9, 10, 13, 16, 18, 24, 32, 48};
constexpr std::array<int, 8> kQuirksMonospace{9, 9, 10, 13, 16, 20, 26, 40};
constexpr std::array<int, 8> kStrictMonospace{9, 10, 12, 13, 14, 18, 26, 39};
constexpr int kMedium = 3;
// The factor of `smaller`, `larger`, <small>, <big>, <sub> and <sup>.
constexpr double kSizeStep = 1.2;
constexpr const char* kLinkColour = "#0000ee";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::string_view> Attribute(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    if (attribute == nullptr) return std::nullopt;
    return std::string_view(attribute->value);
}

// The computed style a browser gives an element: what its text runs inherit.
struct Style {
    std::vector<std::string> families{"Times New Roman"};
    double px = 16;
    int keyword = kMedium;  // the size keyword it came from, or -1
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int shift = 0;  // 1 raised (sup), -1 lowered (sub)
    std::string colour;
    std::string href;
    std::string align;
    bool pre = false;

    bool Monospace() const { return families.size() == 1 && Lower(families.front()) == "monospace"; }
};

double KeywordPixels(int keyword, bool monospace, bool quirks) {
    const auto& table = !monospace ? kQuirksProportional : quirks ? kQuirksMonospace : kStrictMonospace;
    return table[static_cast<std::size_t>(std::clamp(keyword, 0, 7))];
}

// <font size>: 1 to 7, or relative to 3 with a sign; clamped.
std::optional<int> LegacyFontSize(std::string_view value) {
    value = Trim(value);
    int sign = 0;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        sign = value.front() == '+' ? 1 : -1;
        value.remove_prefix(1);
    }
    int number = 0;
    std::size_t digits = 0;
    while (digits < value.size() && std::isdigit(static_cast<unsigned char>(value[digits])) && number < 100)
        number = number * 10 + (value[digits++] - '0');
    if (digits == 0) return std::nullopt;
    const int size = sign == 0 ? number : 3 + sign * number;
    return std::clamp(size, 1, 7);
}

// <font face>: a comma-separated list, quotes allowed.
std::vector<std::string> FamilyList(std::string_view value) {
    std::vector<std::string> families;
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        std::string_view name = Trim(value.substr(0, comma));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        if (!name.empty()) families.emplace_back(name);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return families;
}

// A colour attribute, when it is one the view can take as written: #rgb or
// #rrggbb, or a colour name.
std::string LegacyColour(std::string_view value) {
    value = Trim(value);
    const bool hex = value.size() > 1 && value.front() == '#' &&
                     std::all_of(value.begin() + 1, value.end(),
                                 [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
                     (value.size() == 4 || value.size() == 7);
    const bool name = !value.empty() && value.size() < 32 && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c));
    });
    return hex || name ? Lower(value) : std::string();
}

std::string Alignment(std::string_view value) {
    const std::string lower = Lower(Trim(value));
    if (lower == "left" || lower == "right" || lower == "center" || lower == "justify") return lower;
    if (lower == "middle") return "center";
    return {};
}

bool Hidden(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_OBJECT:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_VIDEO:
        case GUMBO_TAG_AUDIO:
        case GUMBO_TAG_CANVAS:
        case GUMBO_TAG_SVG:
        case GUMBO_TAG_MATH:
        case GUMBO_TAG_INPUT:
        case GUMBO_TAG_SELECT:
        case GUMBO_TAG_TEXTAREA:
        case GUMBO_TAG_DATALIST:
        case GUMBO_TAG_PARAM:
        case GUMBO_TAG_SOURCE:
        case GUMBO_TAG_TRACK:
        case GUMBO_TAG_AREA:
        case GUMBO_TAG_RP:
        case GUMBO_TAG_FRAMESET:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_COLGROUP:
        case GUMBO_TAG_COL:
            return true;
        default:
            return false;
    }
}

// Block boxes other than lists and tables, with the vertical margins browsers
// give them, in em of their own font size.
std::optional<double> BlockMargin(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_P:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_PLAINTEXT:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_FIGURE:
            return 1.0;
        case GUMBO_TAG_H1:
            return 0.67;
        case GUMBO_TAG_H2:
            return 0.83;
        case GUMBO_TAG_H3:
            return 1.0;
        case GUMBO_TAG_H4:
            return 1.33;
        case GUMBO_TAG_H5:
            return 1.67;
        case GUMBO_TAG_H6:
            return 2.33;
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_LEGEND:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_MULTICOL:
            return 0.0;
        default:
            return std::nullopt;
    }
}

bool IsHeading(GumboTag tag) { return tag >= GUMBO_TAG_H1 && tag <= GUMBO_TAG_H6; }

bool TakesAlign(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_P:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_LEGEND:
            return true;
        default:
            return IsHeading(tag);
    }
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
        if (const std::optional<int> legacy = LegacyFontSize(*value)) {
            size.kind = SizeChange::Kind::Keyword;
            size.keyword = *legacy;
        }
    }
    if (const auto colour = Attribute(element, "color")) {
        if (std::string c = LegacyColour(*colour); !c.empty()) s.colour = std::move(c);
    }
}

// The browser's default style sheet for `tag`, <font> and <a href>.
void ApplyTag(Style& s, const GumboElement& element, SizeChange& size) {
    const GumboTag tag = element.tag;
    switch (tag) {
        case GUMBO_TAG_TT:
        case GUMBO_TAG_CODE:
        case GUMBO_TAG_KBD:
        case GUMBO_TAG_SAMP:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_PLAINTEXT:
            s.families = {"monospace"};
            s.pre = s.pre ||
                    (tag != GUMBO_TAG_TT && tag != GUMBO_TAG_CODE && tag != GUMBO_TAG_KBD && tag != GUMBO_TAG_SAMP);
            break;
        case GUMBO_TAG_B:
        case GUMBO_TAG_STRONG:
        case GUMBO_TAG_TH:
            s.weight = 700;
            break;
        case GUMBO_TAG_I:
        case GUMBO_TAG_EM:
        case GUMBO_TAG_CITE:
        case GUMBO_TAG_VAR:
        case GUMBO_TAG_DFN:
        case GUMBO_TAG_ADDRESS:
            s.italic = true;
            break;
        case GUMBO_TAG_U:
        case GUMBO_TAG_INS:
            s.underline = true;
            break;
        case GUMBO_TAG_S:
        case GUMBO_TAG_STRIKE:
        case GUMBO_TAG_DEL:
            s.strike = true;
            break;
        case GUMBO_TAG_SMALL:
        case GUMBO_TAG_SUB:
        case GUMBO_TAG_SUP:
            size.kind = SizeChange::Kind::Factor;
            size.factor = 1 / kSizeStep;
            if (tag != GUMBO_TAG_SMALL) s.shift = tag == GUMBO_TAG_SUP ? 1 : -1;
            break;
        case GUMBO_TAG_BIG:
            size.kind = SizeChange::Kind::Factor;
            size.factor = kSizeStep;
            break;
        case GUMBO_TAG_CENTER:
            s.align = "center";
            break;
        case GUMBO_TAG_A:
            if (const auto href = Attribute(element, "href")) {
                s.href = std::string(Trim(*href));
                s.colour = kLinkColour;
                s.underline = true;
            }
            break;
        case GUMBO_TAG_FONT:
            ApplyFont(s, element, size);
            break;
        default:
            break;
    }
    if (IsHeading(tag)) {
        static constexpr std::array<double, 6> kHeadingSizes{2.0, 1.5, 1.17, 1.0, 0.83, 0.67};
        s.weight = 700;
        size.kind = SizeChange::Kind::Factor;
        size.factor = kHeadingSizes[static_cast<std::size_t>(tag - GUMBO_TAG_H1)];
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
Style ChildStyle(const Style& parent, const GumboElement& element, bool quirks) {
    Style s = parent;
    const GumboTag tag = element.tag;
    SizeChange size;
    if (tag == GUMBO_TAG_TABLE) {
        s.align.clear();
        if (quirks) {  // old documents' tables start afresh, but for the family
            s.weight = 400;
            s.italic = false;
            s.colour.clear();
            size.kind = SizeChange::Kind::Keyword;
        }
    }
    ApplyTag(s, element, size);
    if (tag == GUMBO_TAG_TH) s.align = "center";
    if (TakesAlign(tag)) {
        if (const auto align = Attribute(element, "align")) {
            if (std::string a = Alignment(*align); !a.empty()) s.align = std::move(a);
        }
    }
    ApplySize(s, parent, size, quirks);
    return s;
}

void AppendEscaped(std::string& out, std::string_view text, bool attribute = false) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += attribute ? "&quot;" : "\"";
                break;
            default:
                out += c;
        }
    }
}

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

// The one family a browser draws the text in: the first of the list at
// hand, the generic families by the names browsers give them by default;
// else the default font.
std::string FamilyCss(const std::vector<std::string>& families, const DrawnFamily& drawn) {
    std::string family;
    for (const std::string& name : families) {
        const std::string lower = Lower(name);
        const std::string asked = lower == "serif" ? "Times New Roman" : lower == "sans-serif" ? "Arial" : name;
        family = drawn ? drawn(asked) : asked;
        if (!family.empty()) break;
    }
    if (family.empty()) family = drawn ? drawn(Style{}.families.front()) : Style{}.families.front();
    std::string css = "'";
    for (const char c : family)
        if (c != '\'' && c != '"' && c != ';' && c != '<' && c != '>' && c != '&') css += c;
    return css + "'";
}

std::string TextCss(const Style& s, const DrawnFamily& drawn) {
    std::string css = "font-family:" + FamilyCss(s.families, drawn);
    // Points, so that printing scales the text with the page.
    css += "; font-size:" + Number(s.px * 0.75) + "pt";
    css += "; font-weight:" + std::to_string(s.weight);
    css += s.italic ? "; font-style:italic" : "; font-style:normal";
    if (s.underline || s.strike)
        css +=
            std::string("; text-decoration:") + (s.underline ? " underline" : "") + (s.strike ? " line-through" : "");
    if (!s.colour.empty()) css += "; color:" + s.colour;
    if (s.shift != 0) css += s.shift > 0 ? "; vertical-align:super" : "; vertical-align:sub";
    return css;
}

bool IsBlank(std::string_view text) { return Trim(text).empty(); }

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

class Writer {
public:
    Writer(bool quirks, const DrawnFamily& drawn) : quirks_(quirks), drawn_(drawn) {}

    std::string Document(const GumboNode* title, const GumboNode& body) {
        out_ = "<html><head><title>";
        if (title != nullptr) AppendEscaped(out_, TextOf(*title));
        out_ += "</title></head><body>";
        Children(body, Style{}, Context::Flow);
        out_ += "</body></html>";
        return std::move(out_);
    }

private:
    // Where a node stands: in flowing content, or among the rows and cells of
    // a table, where only cells hold anything.
    enum class Context { Flow, TablePart };

    void Children(const GumboNode& node, const Style& style, Context context) {
        const GumboVector& children = node.v.element.children;
        // Old documents drop the outer margins of a cell's or the page's first
        // and last block.
        const bool edges = quirks_ && (node.type == GUMBO_NODE_ELEMENT &&
                                       (node.v.element.tag == GUMBO_TAG_TD || node.v.element.tag == GUMBO_TAG_TH ||
                                        node.v.element.tag == GUMBO_TAG_BODY));
        const int first = edges ? EdgeChild(children, true) : -1;
        const int last = edges ? EdgeChild(children, false) : -1;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            const int index = static_cast<int>(i);
            Node(*child, style, context, index == first, index == last);
        }
    }

    // The first or last child that is not blank text, when it is an element.
    static int EdgeChild(const GumboVector& children, bool first) {
        for (unsigned k = 0; k < children.length; ++k) {
            const unsigned i = first ? k : children.length - 1 - k;
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_ELEMENT) return static_cast<int>(i);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_CDATA) return -1;
        }
        return -1;
    }

    void Node(const GumboNode& node, const Style& style, Context context, bool first, bool last) {
        switch (node.type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA:
                if (context == Context::Flow) Text(node.v.text.text, style);
                return;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE:
                Element(node, style, context, first, last);
                return;
            default:
                return;
        }
    }

    void Text(std::string_view text, const Style& style) {
        if (text.empty()) return;
        if (IsBlank(text) && !style.pre) {
            if (pendingBreaks_ == 0) out_ += ' ';  // keeps words apart; collapses like any blank
            return;
        }
        FlushBreaks(0);
        if (!style.href.empty()) {
            out_ += "<a href=\"";
            AppendEscaped(out_, style.href, true);
            out_ += "\">";
        }
        out_ += "<span style=\"";
        AppendEscaped(out_, TextCss(style, drawn_), true);
        out_ += "\">";
        AppendEscaped(out_, text);
        out_ += "</span>";
        if (!style.href.empty()) out_ += "</a>";
    }

    void Element(const GumboNode& node, const Style& parent, Context context, bool first, bool last) {
        const GumboElement& element = node.v.element;
        const GumboTag tag = element.tag;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML || Hidden(tag) || Attribute(element, "hidden")) return;
        const Style style = ChildStyle(parent, element, quirks_);
        switch (tag) {
            case GUMBO_TAG_BR:
                if (context == Context::Flow) ++pendingBreaks_;
                return;
            case GUMBO_TAG_HR:
                if (context == Context::Flow) out_ += "<hr />";
                return;
            case GUMBO_TAG_IMG:
                if (context == Context::Flow) Image(element);
                return;
            case GUMBO_TAG_TABLE:
                Table(node, style);
                return;
            case GUMBO_TAG_TBODY:
            case GUMBO_TAG_THEAD:
            case GUMBO_TAG_TFOOT:
            case GUMBO_TAG_TR:
                Open(Lower(gumbo_normalized_tagname(tag)), {});
                Children(node, style, Context::TablePart);
                Close(Lower(gumbo_normalized_tagname(tag)));
                return;
            case GUMBO_TAG_TD:
            case GUMBO_TAG_TH:
                Cell(node, style);
                return;
            case GUMBO_TAG_UL:
            case GUMBO_TAG_OL:
            case GUMBO_TAG_MENU:
            case GUMBO_TAG_DIR:
                List(node, style, first, last);
                return;
            case GUMBO_TAG_LI:
                Open("li", BlockAttributes(style));
                Children(node, style, Context::Flow);
                Close("li");
                return;
            default:
                break;
        }
        if (const std::optional<double> margin = BlockMargin(tag)) {
            Block(node, style, *margin, first, last);
            return;
        }
        if (context == Context::Flow) Children(node, style, Context::Flow);  // inline: its style is in the runs
    }

    std::string BlockAttributes(const Style& style) const {
        return style.align.empty() ? std::string() : " align=\"" + style.align + "\"";
    }

    std::string MarginCss(double em, const Style& style, bool first, bool last) const {
        const double px = em * style.px;
        return "margin-top:" + Number(first ? 0 : px) + "px; margin-bottom:" + Number(last ? 0 : px) + "px";
    }

    void Block(const GumboNode& node, const Style& style, double margin, bool first, bool last) {
        const GumboTag tag = node.v.element.tag;
        std::string css = MarginCss(margin, style, first, last);
        if (tag == GUMBO_TAG_BLOCKQUOTE || tag == GUMBO_TAG_FIGURE) css += "; margin-left:40px; margin-right:40px";
        if (tag == GUMBO_TAG_DD) css += "; margin-left:40px";
        const char* name = style.pre ? "pre" : "div";
        Open(name, BlockAttributes(style) + " style=\"" + css + "\"");
        Children(node, style, Context::Flow);
        Close(name);
    }

    void List(const GumboNode& node, const Style& style, bool first, bool last) {
        const GumboTag tag = node.v.element.tag;
        const std::string name = tag == GUMBO_TAG_OL ? "ol" : "ul";
        std::string attributes = " style=\"" + MarginCss(listDepth_ == 0 ? 1.0 : 0.0, style, first, last) + "\"";
        if (const auto type = Attribute(node.v.element, "type")) {
            const std::string t = Lower(Trim(*type));
            if (t == "1" || t == "a" || t == "i" || t == "disc" || t == "circle" || t == "square")
                attributes += " type=\"" + std::string(Trim(*type)) + "\"";
        }
        ++listDepth_;
        Open(name, attributes);
        Children(node, style, Context::Flow);
        Close(name);
        --listDepth_;
    }

    void Table(const GumboNode& node, const Style& style) {
        const GumboElement& table = node.v.element;
        std::string attributes;
        // A border attribute frames the table and its cells (outset and inset,
        // as the view draws them by default); frame="border" (or box, or a
        // side) frames the table alone, with a thin solid line.
        int border = 0;
        const auto borderValue = Attribute(table, "border");
        if (borderValue) {
            const std::string value(Trim(*borderValue));
            border = value.empty() ? 1 : std::clamp(std::atoi(value.c_str()), 0, 100);
        }
        bool frameOnly = false;
        if (const auto value = Attribute(table, "frame"); value && !borderValue) {
            const std::string f = Lower(Trim(*value));
            frameOnly = f == "border" || f == "box" || f == "above" || f == "below" || f == "hsides" || f == "vsides" ||
                        f == "lhs" || f == "rhs";
            if (frameOnly) border = 1;
        }
        attributes += " border=\"" + std::to_string(border) + "\"";
        attributes += " cellspacing=\"" + Pixels(table, "cellspacing", 2) + "\"";
        attributes += " cellpadding=\"" + Pixels(table, "cellpadding", 1) + "\"";
        if (const auto width = Attribute(table, "width")) {
            const std::string w(Trim(*width));
            if (!w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c)) || c == '%';
                }))
                attributes += " width=\"" + w + "\"";
        }
        if (const auto align = Attribute(table, "align")) {
            const std::string a = Alignment(*align);
            if (a == "left" || a == "right" || a == "center") attributes += " align=\"" + a + "\"";
        }
        if (const auto colour = Attribute(table, "bgcolor")) {
            if (const std::string c = LegacyColour(*colour); !c.empty()) attributes += " bgcolor=\"" + c + "\"";
        }
        if (frameOnly) attributes += " style=\"border-style:solid; border-color:#000000\"";
        Open("table", attributes);
        Children(node, style, Context::TablePart);
        Close("table");
    }

    static std::string Pixels(const GumboElement& element, const char* name, int fallback) {
        if (const auto value = Attribute(element, name)) {
            const std::string v(Trim(*value));
            if (!v.empty() && std::isdigit(static_cast<unsigned char>(v.front())))
                return std::to_string(std::min(std::atoi(v.c_str()), 1000));
        }
        return std::to_string(fallback);
    }

    void Cell(const GumboNode& node, const Style& style) {
        const GumboElement& cell = node.v.element;
        const std::string name = cell.tag == GUMBO_TAG_TH ? "th" : "td";
        std::string attributes = BlockAttributes(style);
        for (const char* span : {"colspan", "rowspan"}) {
            if (const auto value = Attribute(cell, span)) {
                const int n = std::atoi(std::string(Trim(*value)).c_str());
                if (n > 1) attributes += " " + std::string(span) + "=\"" + std::to_string(std::min(n, 1000)) + "\"";
            }
        }
        // Browsers centre a cell's content vertically unless told otherwise.
        std::string valign = "middle";
        if (const auto value = Attribute(cell, "valign")) {
            const std::string v = Lower(Trim(*value));
            if (v == "top" || v == "bottom") valign = v;
        }
        attributes += " valign=\"" + valign + "\"";
        if (const auto colour = Attribute(cell, "bgcolor")) {
            if (const std::string c = LegacyColour(*colour); !c.empty()) attributes += " bgcolor=\"" + c + "\"";
        }
        Open(name, attributes);
        Children(node, style, Context::Flow);
        Close(name);
    }

    void Image(const GumboElement& image) {
        const auto source = Attribute(image, "src");
        if (!source) return;
        FlushBreaks(0);
        out_ += "<img src=\"";
        AppendEscaped(out_, Trim(*source), true);
        out_ += '"';
        for (const char* size : {"width", "height"}) {
            if (const auto value = Attribute(image, size)) {
                const int n = std::atoi(std::string(Trim(*value)).c_str());
                if (n > 0) out_ += " " + std::string(size) + "=\"" + std::to_string(std::min(n, 10000)) + "\"";
            }
        }
        out_ += " />";
    }

    // Line breaks are written when something follows them on their line: a
    // break that ends a block makes no empty line in a browser.
    void FlushBreaks(int dropped) {
        for (int i = dropped; i < pendingBreaks_; ++i) out_ += "<br />";
        pendingBreaks_ = 0;
    }

    void Open(const std::string& name, const std::string& attributes) {
        FlushBreaks(1);
        out_ += "<" + name + attributes + ">";
    }
    void Close(const std::string& name) {
        FlushBreaks(1);
        out_ += "</" + name + ">";
    }

    bool quirks_;
    const DrawnFamily& drawn_;
    int listDepth_ = 0;
    int pendingBreaks_ = 0;
    std::string out_;
};

const GumboNode* Child(const GumboNode& parent, GumboTag tag) {
    const GumboVector& children = parent.v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == tag) return child;
    }
    return nullptr;
}

}  // namespace

std::string BrowserRichText(std::string_view html, const DrawnFamily& drawn) {
    const std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> parsed(
        gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()),
        [](GumboOutput* output) { gumbo_destroy_output(&kGumboDefaultOptions, output); });
    const bool quirks = parsed->document->v.document.doc_type_quirks_mode != GUMBO_DOCTYPE_NO_QUIRKS;
    // The parser always makes <html> with <head> and <body>.
    const GumboNode* head = Child(*parsed->root, GUMBO_TAG_HEAD);
    const GumboNode* body = Child(*parsed->root, GUMBO_TAG_BODY);
    return Writer(quirks, drawn).Document(head ? Child(*head, GUMBO_TAG_TITLE) : nullptr, *body);
}

}  // namespace korvel
