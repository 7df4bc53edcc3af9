// SPDX-License-Identifier: GPL-3.0-or-later
// The run's message boxes as Qt message boxes.
#pragma once

#include <QString>

#include "calc/run.h"

class QWidget;

namespace korvel {

// The text of the error box: the error's code and its short description.
QString ErrorBoxText(const FatalError& error);

class MessageBoxFeedback : public RunFeedback {
public:
    // The boxes are application-modal, centred over parent.
    explicit MessageBoxFeedback(QWidget* parent = nullptr) : parent_(parent) {}

    // Caption "korvel", the message as the only text, one OK, no icon.
    void ShowMessage(std::string_view message) override;
    // Names the code and the description, one OK. The program goes on: the
    // error ends the run only.
    void ShowError(const FatalError& error) override;

private:
    QWidget* parent_;
};

}  // namespace korvel
