// SPDX-License-Identifier: GPL-3.0-or-later
// The input window's default texts with the first brand picked, as a run's
// field source that costs next to nothing to read.
#pragma once

#include <array>
#include <string>

#include "calc/run.h"

namespace korvel::bench {

class DefaultWindow : public FieldSource, public RunFeedback {
public:
    explicit DefaultWindow(int check = 0) : check_(check) {}
    int CheckValue() const override { return check_; }
    std::string Text(Control control) const override { return texts_[static_cast<std::size_t>(control)]; }
    void SetText(Control control, std::string_view text) override {
        texts_[static_cast<std::size_t>(control)].assign(text);
    }
    void ShowMessage(std::string_view) override {}
    void ShowError(const FatalError&) override {}

private:
    int check_;
    std::array<std::string, 9> texts_{"330.00", "1", "15", "365", "", "", "__________", "502", "УОНИ 13/45"};
};

}  // namespace korvel::bench
