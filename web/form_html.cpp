// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the input window's controls as HTML and their places as CSS, from
// the window's own layout table and the brand list, when the page is built:
// the form is in the page from its first paint, and the page's script only
// wires it up. The controls whose values a run takes carry data-input.
//
//   node form_html.js FRAGMENT.html RULES.css
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "forms/form1_layout.h"
#include "calc/substances.h"

namespace korvel {
namespace {

using form1::Kind;

constexpr int kTwipsPerPixel = 15;

// Which control each caption names, for assistive technology only: a click
// on a caption does nothing, as in the window. The hours and the minutes
// share one caption, so each has a name of its own.
struct Naming {
    std::string_view control;
    std::string_view captionId;  // aria-labelledby
    std::string_view name;       // aria-label, where no caption names it alone
};
constexpr Naming kNamings[] = {
    {"Check1", "Label8", ""}, {"Text7", "Label6", ""}, {"Combo1", "Label7", ""}, {"Text1", "Label1", ""},
    {"Text2", "", "Время непрерывной сварки в день, часы"}, {"Text3", "", "Время непрерывной сварки в день, минуты"},
    {"Text4", "Label3", ""}, {"Text8", "Label9", ""}, {"Text5", "Label4", ""}, {"Text6", "Label5", ""},
};

constexpr std::string_view kKindClasses[] = {"rect",      "label",        "centredLabel", "framedLabel", "field",
                                             "leftField", "displayField", "combo",        "check",       "button"};

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// Every place and size of the table is a whole number of pixels.
constexpr bool WholePixels() {
    bool whole = form1::kClientWidth % kTwipsPerPixel == 0 && form1::kClientHeight % kTwipsPerPixel == 0;
    for (const form1::ControlLayout& c : form1::kLayout) {
        for (const int twips : {c.left, c.top, c.width, c.height}) whole = whole && twips % kTwipsPerPixel == 0;
    }
    return whole;
}
static_assert(WholePixels());

std::string Pixels(int twips) { return std::to_string(twips / kTwipsPerPixel) + "px"; }

// The time mode a control belongs to, if the switch shows or hides it.
std::string ModeAttribute(std::string_view name) {
    for (const form1::ModeRow& row : form1::kModeRows) {
        if (row.name == name) return std::string(" data-per-year=\"") + (row.perYear ? "1" : "0") + "\"";
    }
    return {};
}

std::string NamingAttributes(std::string_view name) {
    for (const Naming& naming : kNamings) {
        if (naming.control != name) continue;
        if (!naming.captionId.empty()) return " aria-labelledby=\"" + std::string(naming.captionId) + "\"";
        return " aria-label=\"" + Escaped(naming.name) + "\"";
    }
    return {};
}

std::string Element(const form1::ControlLayout& c) {
    const std::string attributes = " id=\"" + std::string(c.name) + "\" class=\"control " +
                                   std::string(kKindClasses[static_cast<int>(c.kind)]) + "\"" +
                                   ModeAttribute(c.name) + NamingAttributes(c.name) +
                                   (form1::IsInput(c) ? " data-input" : "") + (c.visible ? "" : " hidden");
    switch (c.kind) {
        case Kind::Rect:
            return "<div" + attributes + "></div>";
        case Kind::Label:
        case Kind::CentredLabel:
        case Kind::FramedLabel:
            return "<div" + attributes + ">" + Escaped(c.text) + "</div>";
        case Kind::Check:
            return "<input type=\"checkbox\"" + attributes + ">";
        case Kind::Combo: {
            // The page's script takes away the selection a browser gives the first entry.
            std::string list = "<select" + attributes + ">";
            for (const Brand& brand : BrandTable) list += "<option>" + Escaped(brand.name) + "</option>";
            return list + "</select>";
        }
        case Kind::Button:
            return "<button type=\"button\"" + attributes + ">" + Escaped(c.text) + "</button>";
        case Kind::Field:
        case Kind::LeftField:
        case Kind::DisplayField:
            break;
    }
    return "<input type=\"text\"" + attributes + " value=\"" + Escaped(c.text) +
           "\" spellcheck=\"false\" autocomplete=\"off\"" + (c.kind == Kind::DisplayField ? " disabled" : "") + ">";
}

bool Write(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    using namespace korvel;
    if (argc != 3) {
        std::fputs("usage: form_html FRAGMENT.html RULES.css\n", stderr);
        return 2;
    }
    // Controls in tab order in the document, so that Tab and Shift+Tab walk
    // them as the window's focus cycle does; the layer of each kind decides
    // what is drawn above what (inputs over captions over rectangles).
    std::array<const form1::ControlLayout*, form1::kLayout.size()> ordered{};
    for (std::size_t i = 0; i < ordered.size(); ++i) ordered[i] = &form1::kLayout[i];
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    std::string html;
    std::string css = "#Form1Client{width:" + Pixels(form1::kClientWidth) + ";height:" + Pixels(form1::kClientHeight) + "}\n";
    for (const form1::ControlLayout* c : ordered) {
        html += Element(*c) + "\n";
        css += "#" + std::string(c->name) + "{left:" + Pixels(c->left) + ";top:" + Pixels(c->top) +
               ";width:" + Pixels(c->width) + ";height:" + Pixels(c->height) + "}\n";
    }
    if (!Write(argv[1], html) || !Write(argv[2], css)) {
        std::perror("form_html");
        return 1;
    }
    return 0;
}
