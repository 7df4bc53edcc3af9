// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes the page made, saved as a download named `name`.
export function save(bytes, type, name) {
    const url = URL.createObjectURL(new Blob([bytes], {type}));
    const link = document.createElement("a");
    link.href = url;
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 0);
}
