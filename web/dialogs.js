// SPDX-License-Identifier: GPL-3.0-or-later
// What both pages share: the decimal separator of the browser's language,
// the box titled korvel, and saving bytes as a download.
"use strict";

const KorvelDialogs = (() => {
    // The browser language's decimal separator, where it is one the core
    // knows; a full stop otherwise.
    function languageSeparator() {
        const parts = new Intl.NumberFormat(navigator.language).formatToParts(1.5);
        const decimal = parts.find((part) => part.type === "decimal");
        return decimal && decimal.value === "," ? "," : ".";
    }

    // A modal box titled korvel; `choices` are [value, caption] pairs, one OK
    // button by default. Resolves to the value of the button pressed, or null
    // when the box is dismissed with Escape.
    function showBox(text, isError, choices = [["ok", "OK"]]) {
        const box = document.getElementById("messageBox");
        const buttons = document.getElementById("messageButtons") ?? box.querySelector(".buttons");
        document.getElementById("messageText").textContent = text;
        box.classList.toggle("error", isError);
        buttons.replaceChildren(...choices.map(([value, caption], i) => {
            const button = document.createElement("button");
            button.type = "button";
            button.value = value;
            button.textContent = caption;
            if (i === 0) button.id = "messageOk";
            button.addEventListener("click", () => box.close(value));
            return button;
        }));
        box.returnValue = "";
        box.showModal();
        return new Promise((resolve) => box.addEventListener("close", () => resolve(box.returnValue || null), {once: true}));
    }

    function save(bytes, type, name) {
        const url = URL.createObjectURL(new Blob([bytes], {type}));
        const link = document.createElement("a");
        link.href = url;
        link.download = name;
        link.click();
        setTimeout(() => URL.revokeObjectURL(url), 0);
    }

    return {languageSeparator, showBox, save};
})();
