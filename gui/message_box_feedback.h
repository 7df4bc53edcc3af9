// SPDX-License-Identifier: GPL-3.0-or-later
// The run's message boxes as Qt message boxes.
#pragma once

#include <string_view>

#include "calc/fatal_error.h"

class QWidget;

namespace korvel {

// How the input window shows a run's boxes; tests record them instead.
class RunFeedback {
public:
    virtual ~RunFeedback() = default;
    // A validation message: modal, one OK button, the run goes on afterwards.
    virtual void ShowMessage(std::string_view message) = 0;
    // The error box of a failure that ended the run.
    virtual void ShowError(const FatalError& error) = 0;
};

class MessageBoxFeedback : public RunFeedback {
public:
    // The boxes are application-modal, centred over parent.
    explicit MessageBoxFeedback(QWidget* parent = nullptr) : parent_(parent) {}

    // Caption "korvel", the message as the only text, one OK, no icon.
    void ShowMessage(std::string_view message) override;
    // ErrorText of the failure, one OK. The program goes on: the error ends
    // the run only.
    void ShowError(const FatalError& error) override;

private:
    QWidget* parent_;
};

}  // namespace korvel
