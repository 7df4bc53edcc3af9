// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' message box (the dialog #messageBox): titled korvel, one OK
// button, the error look for an error box.

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
