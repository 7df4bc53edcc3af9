// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: every control from one layout table (twips from the
// client area's top-left corner; 15 twips make one CSS pixel), the mode
// switch, select-all on entering a field, and the texts a run reads.
"use strict";

const KorvelForm = (() => {
    const TWIPS_PER_PIXEL = 15;

    // name, kind, caption or default text, left, top, width, height, shown at
    // start, tab index (-1: takes no focus).
    const LAYOUT = [
        ["Shape7", "rect", "", 360, 120, 3855, 615, true, -1],
        ["Check1", "check", "", 480, 240, 255, 255, true, 16],
        ["Label8", "label", "Рассчитывать максимально-разовый выброс прямым пересчетом из валового", 840, 240, 3255, 495, true, 17],
        ["Shape5", "rect", "", 4320, 120, 3855, 615, true, -1],
        ["Label6", "label", "Номер источника", 4440, 360, 1455, 255, true, 14],
        ["Text7", "leftField", "__________", 6000, 360, 2055, 285, true, 0],
        ["Shape6", "rect", "", 360, 840, 7815, 735, true, -1],
        ["Label7", "label", "Выберите марку электрода", 600, 1080, 2775, 255, true, 15],
        ["Combo1", "combo", "", 3600, 1080, 4455, 315, true, 2],
        ["Shape1", "rect", "", 360, 1680, 5295, 495, true, -1],
        ["Label1", "label", "Масса израсходованных за год электродов, кг", 480, 1800, 3855, 255, true, 1],
        ["Text1", "field", "330.00", 4440, 1800, 1095, 285, true, 3],
        ["Shape2", "rect", "", 360, 2280, 5295, 495, true, -1],
        ["Label2", "label", "Время непрерывной сварки в день, час.,мин. ", 480, 2400, 3855, 255, true, 8],
        ["Text2", "field", "1", 4440, 2400, 495, 285, true, 4],
        ["Text3", "field", "15", 5040, 2400, 495, 285, true, 5],
        ["Shape3", "rect", "", 360, 2880, 5295, 495, true, -1],
        ["Label3", "label", "Количество рабочих дней в году", 480, 3000, 3855, 255, true, 9],
        ["Text4", "field", "365", 4440, 3000, 1095, 285, true, 6],
        ["Shape8", "rect", "", 360, 2280, 5295, 1095, false, -1],
        ["Label9", "label", "Время работы участка, часов в год", 480, 2400, 3855, 255, false, 18],
        ["Text8", "field", "502", 3600, 2400, 1335, 285, false, 19],
        ["Shape4", "rect", "", 6000, 1680, 2175, 1695, true, -1],
        ["Label4", "centredLabel", "Масса электродов, расходуемых в день, кг", 6120, 1680, 1815, 375, true, 12],
        ["Text5", "displayField", "Не рассчитано", 6120, 2160, 1935, 285, true, 10],
        ["Label5", "centredLabel", "Время непрерывной сварки, сек", 6120, 2520, 1815, 375, true, 13],
        ["Text6", "displayField", "Не рассчитано", 6120, 3000, 1935, 285, true, 11],
        // The fourth letter of the caption is the Latin c.
        ["Command1", "button", "Расcчитать и сформировать отчет", 360, 3600, 7695, 255, true, 7],
        ["Label10", "framedLabel", "ver.1.01 beta 2003", 2280, 3960, 3855, 255, true, 20],
    ].map(([name, kind, text, left, top, width, height, visible, tabIndex]) =>
        ({name, kind, text, left, top, width, height, visible, tabIndex}));

    // The controls the time mode shows or hides, in the order the switch
    // works through them, and whether each belongs to per-year mode.
    const MODE_ROWS = [
        ["Text2", false], ["Text3", false], ["Text4", false], ["Label2", false], ["Label3", false],
        ["Shape2", false], ["Shape3", false], ["Shape8", true], ["Label9", true], ["Text8", true],
        ["Text5", false], ["Text6", false],
    ];

    // Which control each caption names, for assistive technology only: a
    // click on a caption does nothing, as in the window.
    const CAPTION_OF = {
        Check1: "Label8", Text7: "Label6", Combo1: "Label7", Text1: "Label1", Text2: "Label2", Text3: "Label2",
        Text4: "Label3", Text8: "Label9", Text5: "Label4", Text6: "Label5",
    };

    const SELECT_ALL_FIELDS = ["Text1", "Text2", "Text3", "Text4", "Text7", "Text8"];

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
    function build(client) {
        client.style.width = `${8235 / TWIPS_PER_PIXEL}px`;
        client.style.height = `${4395 / TWIPS_PER_PIXEL}px`;
        const ordered = [...LAYOUT].sort((a, b) => a.tabIndex - b.tabIndex);
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
        for (const name of SELECT_ALL_FIELDS) selectAllOnFocus(document.getElementById(name));
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
        for (const [name, perYearRow] of MODE_ROWS) document.getElementById(name).hidden = perYearRow !== perYear;
    }

    function text(name) {
        return document.getElementById(name).value;
    }

    // What the fields hold, as the calculation takes it.
    function inputs() {
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

    function setResults(dailyConsumption, weldingSeconds) {
        if (dailyConsumption !== null) document.getElementById("Text5").value = dailyConsumption;
        if (weldingSeconds !== null) document.getElementById("Text6").value = weldingSeconds;
    }

    function focusFirst() {
        document.getElementById("Text7").focus();
    }

    return {build, fillBrands, inputs, setResults, focusFirst};
})();
