// SPDX-License-Identifier: GPL-3.0-or-later
// The browser language's decimal separator, where it is one the core knows;
// a full stop otherwise. The browser's first number formatting takes about
// as long as the rest of a page's start: ask once the page is up.
export function languageSeparator() {
    const parts = new Intl.NumberFormat(navigator.language).formatToParts(1.5);
    const decimal = parts.find((part) => part.type === "decimal");
    return decimal && decimal.value === "," ? "," : ".";
}
