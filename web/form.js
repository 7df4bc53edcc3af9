// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: every control from the desktop window's layout table,
// which the core hands over (twips from the client area's top-left corner;
// 15 twips make one CSS pixel), the mode switch, select-all on entering a
// field, and the texts a run reads.
"use strict";

const KorvelForm = (() => {
    const TWIPS_PER_PIXEL = 15;

    // The controls the time mode switches, [name, perYear], and the controls
    // whose values a run takes, from the core's layout.
    let modeRows = [];
    let inputNames = [];

    // Which control each caption names, for assistive technology only: a
    // click on a caption does nothing, as in the window.
    const CAPTION_OF = {
        Check1: "Label8", Text7: "Label6", Combo1: "Label7", Text1: "Label1", Text2: "Label2", Text3: "Label2",
        Text4: "Label3", Text8: "Label9", Text5: "Label4", Text6: "Label5",
    };

    // The fields the user types into select their text on entering; the
    // display-only ones take no focus.
    const SELECTS_ALL = new Set(["field", "leftField"]);

    function createElement(c) {
        switch (c.kind) {
            case "rect":
                return document.createElement("div");
            case "label":
            case "centredLabel":
            case "framedLabel": {
                const label = document.createElement("div");
                label.textContent = c.text;
                return label;
            }
            case "check": {
                const box = document.createElement("input");
                box.type = "checkbox";
                return box;
            }
            case "combo":
                return document.createElement("select");
            case "button": {
                const button = document.createElement("button");
                button.type = "button";
                button.textContent = c.text;
                return button;
            }
            default: {
                const field = document.createElement("input");
                field.type = "text";
                field.value = c.text;
                field.spellcheck = false;
                field.autocomplete = "off";
                field.disabled = c.kind === "displayField";
                return field;
            }
        }
    }

    // Whole text selected whenever a field receives the focus; the click that
    // gives it the focus does not move the caret afterwards.
    function selectAllOnFocus(field) {
        field.addEventListener("focus", () => field.select());
        field.addEventListener("mousedown", (event) => {
            if (document.activeElement === field || event.button !== 0) return;
            event.preventDefault();
            field.focus();
        });
    }

    // Controls in tab order in the document, so that Tab and Shift+Tab walk
    // them as the window's focus cycle does; the layer decides what is drawn
    // above what (inputs over captions over rectangles).
    // `layout` is the desktop window's own table, as the core gives it.
    function build(client, layout) {
        modeRows = layout.modeRows;
        inputNames = layout.controls.filter((c) => c.input).map((c) => c.name);
        client.style.width = `${layout.width / TWIPS_PER_PIXEL}px`;
        client.style.height = `${layout.height / TWIPS_PER_PIXEL}px`;
        const ordered = [...layout.controls].sort((a, b) => a.tabIndex - b.tabIndex);
        for (const c of ordered) {
            const element = createElement(c);
            element.id = c.name;
            element.className = `control ${c.kind}`;
            element.style.left = `${c.left / TWIPS_PER_PIXEL}px`;
            element.style.top = `${c.top / TWIPS_PER_PIXEL}px`;
            element.style.width = `${c.width / TWIPS_PER_PIXEL}px`;
            element.style.height = `${c.height / TWIPS_PER_PIXEL}px`;
            element.hidden = !c.visible;
            if (CAPTION_OF[c.name]) element.setAttribute("aria-labelledby", CAPTION_OF[c.name]);
            client.append(element);
        }
        for (const c of layout.controls) {
            if (SELECTS_ALL.has(c.kind)) selectAllOnFocus(document.getElementById(c.name));
        }
        document.getElementById("Check1").addEventListener("click", modeSwitch);
        // No default button: Enter presses nothing, not even the focused one.
        document.getElementById("Command1").addEventListener("keydown", (event) => {
            if (event.key === "Enter") event.preventDefault();
        });
    }

    // The brand list's entries, none of them picked.
    function fillBrands(brands) {
        const combo = document.getElementById("Combo1");
        for (const brand of brands) combo.add(new Option(brand, brand));
        combo.selectedIndex = -1;
    }

    function modeSwitch() {
        const perYear = document.getElementById("Check1").checked;
        for (const [name, perYearRow] of modeRows) document.getElementById(name).hidden = perYearRow !== perYear;
    }

    // What the input controls hold, by name, for the core to read.
    function inputs() {
        const typed = {};
        for (const name of inputNames) {
            const control = document.getElementById(name);
            typed[name] = control.type === "checkbox" ? control.checked : control.value;
        }
        return typed;
    }

    function setResults(dailyConsumption, weldingSeconds) {
        if (dailyConsumption !== null) document.getElementById("Text5").value = dailyConsumption;
        if (weldingSeconds !== null) document.getElementById("Text6").value = weldingSeconds;
    }

    function focusFirst() {
        document.getElementById("Text7").focus();
    }

    return {build, fillBrands, inputs, setResults, focusFirst};
})();
