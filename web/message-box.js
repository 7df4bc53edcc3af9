// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' message box (the dialog #messageBox): titled korvel, one OK
// button or a choice of buttons, the error look for an error box.

export function attachMessageBox() {
    document.getElementById("messageOk").addEventListener("click", () =>
        document.getElementById("messageBox").close());
}

// Resolves when the box is closed.
export function showBox(text, isError) {
    const box = document.getElementById("messageBox");
    document.getElementById("messageText").textContent = text;
    box.classList.toggle("error", isError);
    box.showModal();
    return new Promise((resolve) => box.addEventListener("close", resolve, {once: true}));
}

// A question: `choices`, [value, caption] pairs, take the place of the OK
// button until the box closes. Resolves to the value of the button pressed,
// or null when the box is dismissed with Escape.
export function ask(text, choices) {
    const box = document.getElementById("messageBox");
    const buttons = box.querySelector(".buttons");
    const ok = buttons.firstElementChild;
    buttons.replaceChildren(...choices.map(([value, caption]) => {
        const button = document.createElement("button");
        button.type = "button";
        button.textContent = caption;
        button.addEventListener("click", () => box.close(value));
        return button;
    }));
    box.returnValue = "";
    return showBox(text, false).then(() => {
        buttons.replaceChildren(ok);
        return box.returnValue || null;
    });
}
