// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/closing_step.h"

namespace korvel {

RunEnd CloseRun(const RunOutcome& outcome, bool reportWritten) {
    RunEnd end;
    if (reportWritten && !outcome.failure && outcome.results.FlagSum() != 0) {
        end.markedFailed = true;
        end.dailyConsumption = end.weldingTime = std::string(kFailedRunText);
        return end;
    }
    end.showsReport = reportWritten && !outcome.failure;
    end.dailyConsumption = outcome.dailyConsumptionText;
    end.weldingTime = outcome.weldingSecondsText;
    return end;
}

}  // namespace korvel
