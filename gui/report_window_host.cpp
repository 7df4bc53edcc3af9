// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/report_window_host.h"

#include "platform/window_placement.h"

namespace korvel {

// The window outlives the host only when the program is ending anyway; it has
// no owner, so nothing else would free it.
ReportWindowHost::~ReportWindowHost() { delete form2_.data(); }

void ReportWindowHost::ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs,
                                  const CalcResults& results) {
    if (!form2_) {
        form2_ = new Form2(separator_);
        CentreOnScreen(*form2_);
    }
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
    form2_->ShowReport(reportPath, inputs, results);
}

}  // namespace korvel
