// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/progress_bar.h"

#include <string>

namespace korvel::batch {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(std::ostream& out, std::size_t total, bool enabled)
    : out_(out), total_(total), enabled_(enabled && total > 0) {}

void ProgressBar::Update(std::size_t done) {
    if (!enabled_) return;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent != percent_ || !shown_) Draw(done);
}

void ProgressBar::Draw(std::size_t done) {
    percent_ = static_cast<int>(done * 100 / total_);
    const int filled = percent_ * kWidth / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), ' ');
    line += "] " + std::to_string(percent_) + "% " + std::to_string(done) + "/" + std::to_string(total_);
    out_ << line << std::flush;
    shown_ = true;
}

void ProgressBar::Clear() {
    if (!enabled_ || !shown_) return;
    out_ << '\r' << std::string(kWidth + 30, ' ') << '\r' << std::flush;
    shown_ = false;
}

void ProgressBar::Finish() {
    if (!enabled_) return;
    Draw(total_);
    out_ << '\n' << std::flush;
    enabled_ = false;
}

}  // namespace korvel::batch
