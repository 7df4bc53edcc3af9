// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: one fixed-size window whose fields are the source of a
// calculation run and the destination of its two results.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <array>

#include "calc/run.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korvel {

// A one-pixel outline in the window-text colour, no fill, no input.
class OutlineRect : public QWidget {
    Q_OBJECT
public:
    explicit OutlineRect(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A text field that selects its whole text whenever it receives the focus,
// and keeps it selected after the click that gave it the focus.
class SelectAllField : public QLineEdit {
    Q_OBJECT
public:
    explicit SelectAllField(QWidget* parent) : QLineEdit(parent) {}

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The focusing click is still in progress: it must not move the caret.
    bool focusedByClick_ = false;
    bool swallowingClick_ = false;
};

class Form1 : public QWidget, public FieldSource {
    Q_OBJECT
public:
    // separator: the regional decimal separator the run writes numbers with.
    explicit Form1(char separator, QWidget* parent = nullptr);

    // What a click on Command1 runs with. Until both are attached the button
    // does nothing.
    void AttachRun(RunFeedback& feedback, RunSteps& steps);

    // Once, before the window is first shown: centre on the screen, then
    // fill the brand list.
    void LoadStep();

    // The font of the window and its controls: the toolkit's default when
    // every caption fits its fixed box, else the closest sans that does.
    static QFont DialogFont(const QFont& base);
    // Whether the ink of every caption lies inside its fixed box.
    static bool CaptionsFit(const QFont& font);

    int CheckValue() const override;
    std::string Text(Control control) const override;
    void SetText(Control control, std::string_view text) override;

private:
    void BuildLayout();
    void ModeSwitch();
    void StartRun();
    QLineEdit* Field(Control control) const;

    char separator_;
    RunFeedback* feedback_ = nullptr;
    RunSteps* steps_ = nullptr;
    std::array<QLineEdit*, 8> fields_{};  // Text1 to Text8
    QComboBox* combo1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QPushButton* command1_ = nullptr;
};

}  // namespace korvel
