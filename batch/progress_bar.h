// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line progress bar redrawn in place with carriage returns; redrawn
// only when the shown percentage changes, so it costs nothing per row.
#pragma once

#include <cstddef>
#include <ostream>

namespace korvel::batch {

class ProgressBar {
public:
    // A disabled bar writes nothing at all.
    ProgressBar(std::ostream& out, std::size_t total, bool enabled);

    void Update(std::size_t done);
    // Removes the bar so that a message can take the line; the next Update
    // draws it again.
    void Clear();
    // Draws the bar full and ends its line.
    void Finish();

private:
    void Draw(std::size_t done);

    std::ostream& out_;
    std::size_t total_;
    bool enabled_;
    bool shown_ = false;
    int percent_ = -1;
};

}  // namespace korvel::batch
