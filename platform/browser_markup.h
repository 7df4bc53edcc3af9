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
// `drawn` gives the installed family a browser draws a family in (the family
// itself, or a metric-compatible stand-in, or for the generic "monospace" the
// system's), or an empty name when it has none: browsers skip those in a list
// of families. Each run names the one family it is drawn in. Without `drawn`
// every family counts as installed.
using DrawnFamily = std::function<std::string(std::string_view family)>;
std::string BrowserRichText(std::string_view html, const DrawnFamily& drawn = {});

}  // namespace korvel
