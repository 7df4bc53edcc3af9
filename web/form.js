// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: every control from the desktop window's layout table,
// which the core hands over (twips from the client area's top-left corner;
// 15 twips make one CSS pixel), the mode switch, select-all on entering a
// field, and the texts a run reads.
const TWIPS_PER_PIXEL = 15;

// The controls the time mode switches, [name, perYear], from the core's layout.
let modeRows = [];

// Which control each caption names, for assistive technology only: a
// click on a caption does nothing, as in the window. The hours and the
// minutes share one caption, so each has a name of its own.
const CAPTION_OF = {
    Check1: "Label8", Text7: "Label6", Combo1: "Label7", Text1: "Label1", Text4: "Label3", Text8: "Label9",
    Text5: "Label4", Text6: "Label5",
};
const NAME_OF = {
    Text2: "Время непрерывной сварки в день, часы",
    Text3: "Время непрерывной сварки в день, минуты",
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
export function build(client, layout) {
    modeRows = layout.modeRows;
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
        if (NAME_OF[c.name]) element.setAttribute("aria-label", NAME_OF[c.name]);
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
export function fillBrands(brands) {
    const combo = document.getElementById("Combo1");
    for (const brand of brands) combo.add(new Option(brand, brand));
    combo.selectedIndex = -1;
}

function modeSwitch() {
    const perYear = document.getElementById("Check1").checked;
    for (const [name, perYearRow] of modeRows) document.getElementById(name).hidden = perYearRow !== perYear;
}

function text(name) {
    return document.getElementById(name).value;
}

// What the fields hold, as the calculation takes it.
export function inputs() {
    return {
        perYearMode: document.getElementById("Check1").checked,
        brand: text("Combo1"),
        yearlyConsumption: text("Text1"),
        hours: text("Text2"),
        minutes: text("Text3"),
        workingDays: text("Text4"),
        sourceName: text("Text7"),
        hoursPerYear: text("Text8"),
    };
}

export function setResults(dailyConsumption, weldingSeconds) {
    if (dailyConsumption !== null) document.getElementById("Text5").value = dailyConsumption;
    if (weldingSeconds !== null) document.getElementById("Text6").value = weldingSeconds;
}

export function focusFirst() {
    document.getElementById("Text7").focus();
}

