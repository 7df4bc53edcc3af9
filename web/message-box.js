// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' message box (the dialog #messageBox): titled korvel, one OK
// button or a choice of buttons, the error look for an error box.

export function attachMessageBox() {
    document.getElementById("messageOk").addEventListener("click", () =>
        document.getElementById("messageBox").close("ok"));
}

// Resolves when the box is closed: to the value of the button pressed, or
// null when it is dismissed with Escape. `choices`, [value, caption] pairs,
// take the place of the OK button until the box closes.
export function showBox(text, isError, choices = null) {
    const box = document.getElementById("messageBox");
    document.getElementById("messageText").textContent = text;
    box.classList.toggle("error", isError);
    const buttons = box.querySelector(".buttons");
    const ok = buttons.firstElementChild;
    if (choices !== null) {
        buttons.replaceChildren(...choices.map(([value, caption]) => {
            const button = document.createElement("button");
            button.type = "button";
            button.textContent = caption;
            button.addEventListener("click", () => box.close(value));
            return button;
        }));
        box.addEventListener("close", () => buttons.replaceChildren(ok), {once: true});
    }
    box.returnValue = "";
    box.showModal();
    return new Promise((resolve) => box.addEventListener("close", () => resolve(box.returnValue || null), {once: true}));
}
