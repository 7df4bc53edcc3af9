// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: the mode switch, select-all on entering a field, the
// texts a run reads and the results it writes.

// Fields the user types into select their text on entering; the
// display-only ones take no focus.
function selectAllOnFocus(field) {
    field.addEventListener("focus", () => field.select());
    // The click that gives a field the focus does not move the caret afterwards.
    field.addEventListener("mousedown", (event) => {
        if (document.activeElement === field || event.button !== 0) return;
        event.preventDefault();
        field.focus();
    });
}

// The controls are in the page from its build (web/form_html.cpp writes
// them from the window's layout table); this gives them their behaviour.
export function wire() {
    for (const field of document.querySelectorAll("#Form1Client :is(.field, .leftField)")) selectAllOnFocus(field);
    // The brand list starts with no brand picked.
    document.getElementById("Combo1").selectedIndex = -1;
    document.getElementById("Check1").addEventListener("click", modeSwitch);
    // No default button: Enter presses nothing, not even the focused one.
    document.getElementById("Command1").addEventListener("keydown", (event) => {
        if (event.key === "Enter") event.preventDefault();
    });
}

// The controls the time mode shows or hides carry the mode they belong to.
function modeSwitch() {
    const perYear = document.getElementById("Check1").checked;
    for (const control of document.querySelectorAll("#Form1Client [data-per-year]")) {
        control.hidden = (control.dataset.perYear === "1") !== perYear;
    }
}

// What the input controls hold, as [name, value] pairs for the core to read
// by the window's layout table; a ticked check box holds "1".
export function inputs() {
    return [...document.querySelectorAll("#Form1Client [data-input]")].map((control) =>
        [control.id, control.type === "checkbox" ? (control.checked ? "1" : "") : control.value]);
}

export function setResults(dailyConsumption, weldingSeconds) {
    if (dailyConsumption !== null) document.getElementById("Text5").value = dailyConsumption;
    if (weldingSeconds !== null) document.getElementById("Text6").value = weldingSeconds;
}

export function focusFirst() {
    document.getElementById("Text7").focus();
}

