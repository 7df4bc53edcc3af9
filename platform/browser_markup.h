// SPDX-License-Identifier: GPL-3.0-or-later
// HTML as web browsers read it, for a rich-text view that does not: the
// markup is parsed by the HTML5 rules (unclosed and misnested tags resolved
// as browsers resolve them) and styled as browsers style it, then written out
// as plain nested markup in which every run of text names its own font and
// every table its frame.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvel {

// `html` and the result are UTF-8. The result holds only block structure
// (divisions, lists, tables, line breaks, images) and text runs with inline
// styles: font family, size in points, weight, slant, decoration, colour and
// raised or lowered position, each as a browser computes it with its default
// settings (16 px text, Times New Roman, monospace at 13 px). Scripts, styles
// and other content browsers do not show are left out; links keep their
// address.
// `installed` tells whether a font family is at hand, as browsers see it (the
// name itself or a metric-compatible stand-in): browsers skip the others in a
// list of families, where the view would take a loose substitute for the
// first. Without it every family counts as installed.
using FontInstalled = std::function<bool(std::string_view family)>;
std::string BrowserRichText(std::string_view html, const FontInstalled& installed = {});

}  // namespace korvel
