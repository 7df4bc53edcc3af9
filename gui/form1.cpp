// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextLayout>
#include <algorithm>
#include <limits>
#include <vector>

#include "calc/closing_step.h"
#include "calc/substances.h"
#include "forms/form1_layout.h"
#include "gui/brand_list.h"
#include "gui/message_box_feedback.h"
#include "gui/outline_rect.h"
#include "gui/report_window_host.h"
#include "gui/select_all_field.h"
#include "platform/window_placement.h"
#include "report/report_file.h"

namespace korvel {

using form1::ControlLayout;
using form1::kClientHeight;
using form1::kClientWidth;
using form1::Kind;
using form1::kLayout;
using form1::kModeRows;
using form1::ModeRow;

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Whether a caption's ink stays inside its box, the text laid out (not
// drawn) as a label lays it out: wrapped at word boundaries, left-aligned or
// centred, its glyphs' own outlines rather than their advance boxes.
bool CaptionFits(const QFont& font, const QString& text, QSize box, bool centred) {
    const QFontMetricsF metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QRectF ink;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        const qreal x = centred ? (box.width() - line.naturalTextWidth()) / 2 : 0;
        ink |= metrics.tightBoundingRect(text.mid(line.textStart(), line.textLength()))
                   .translated(x, y + metrics.ascent());
        y += metrics.lineSpacing();
    }
    layout.endLayout();
    return ink.left() >= 0 && ink.right() <= box.width() && ink.bottom() <= box.height();
}

}  // namespace

bool Form1::CaptionsFit(const QFont& font) {
    for (const ControlLayout& c : kLayout) {
        const QString text = FromUtf8(c.text);
        switch (c.kind) {
            case Kind::Label:
            case Kind::CentredLabel:
            case Kind::FramedLabel: {
                // Labels wrap at word boundaries and clip at their box.
                const int frame = c.kind == Kind::FramedLabel ? 1 : 0;
                const QSize box(TwipsToPixels(c.width) - 2 * frame, TwipsToPixels(c.height) - 2 * frame);
                if (!CaptionFits(font, text.trimmed(), box, c.kind != Kind::Label)) return false;
                break;
            }
            case Kind::Button:
                if (QFontMetrics(font).horizontalAdvance(text) > TwipsToPixels(c.width) - 8) return false;
                break;
            default:
                break;
        }
    }
    return true;
}

QFont Form1::DialogFont(const QFont& base) {
    // The fixed boxes were laid out for a dialog font of 11 pixels with
    // 12-pixel lines, as wide as Arial's: Liberation Sans, which has Arial's
    // widths, at the desktop's size when every caption fits, else at 8
    // points. The desktop's own font is never loaded: one font file at start.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() : 9);
    if (CaptionsFit(font)) return font;
    font.setPointSize(8);
    return font;
}

Form1::Form1(char separator, std::filesystem::path reportPath, QWidget* parent)
    : QWidget(parent), separator_(separator), reportPath_(std::move(reportPath)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Расчет выделений ЗВ при электросварке"));
    setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    AskFrame(*this);  // answered while the controls are made
    setFont(DialogFont(QApplication::font()));
    BuildLayout();
    connect(check1_, &QCheckBox::clicked, this, &Form1::ModeSwitch);
    connect(command1_, &QPushButton::clicked, this, &Form1::StartRun);
}

namespace {

QLabel* CreateLabel(const ControlLayout& c, QWidget* parent) {
    auto* label = new QLabel(FromUtf8(c.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    label->setAlignment(c.kind == Kind::Label ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignHCenter | Qt::AlignTop);
    if (c.kind == Kind::FramedLabel) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAlignment(Qt::AlignCenter);
        QPalette white = label->palette();
        white.setColor(QPalette::Window, white.color(QPalette::HighlightedText));
        label->setPalette(white);
    }
    return label;
}

QPushButton* CreateButton(const ControlLayout& c, QWidget* parent) {
    auto* button = new QPushButton(FromUtf8(c.text), parent);
    // No default role: Enter and Escape press nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Inputs are drawn above labels, labels above rectangles.
enum class Layer { Rect, Label, Input };
Layer LayerOf(Kind kind) {
    switch (kind) {
        case Kind::Rect:
            return Layer::Rect;
        case Kind::Label:
        case Kind::CentredLabel:
        case Kind::FramedLabel:
            return Layer::Label;
        default:
            return Layer::Input;
    }
}

}  // namespace

QWidget* Form1::CreateField(const ControlLayout& c) {
    QLineEdit* field = c.kind == Kind::DisplayField ? new QLineEdit(this) : new SelectAllField(this);
    field->setText(FromUtf8(c.text));
    field->setMaxLength(std::numeric_limits<int>::max());
    field->setAlignment((c.kind == Kind::LeftField ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    if (c.kind == Kind::DisplayField) {
        field->setEnabled(false);
        field->setFocusPolicy(Qt::NoFocus);
    }
    fields_[static_cast<std::size_t>(c.name[4] - '1')] = field;  // "TextN"
    return field;
}

QWidget* Form1::CreateControl(const ControlLayout& c) {
    switch (c.kind) {
        case Kind::Rect:
            return new OutlineRect(this);
        case Kind::Label:
        case Kind::CentredLabel:
        case Kind::FramedLabel:
            return CreateLabel(c, this);
        case Kind::Field:
        case Kind::LeftField:
        case Kind::DisplayField:
            return CreateField(c);
        case Kind::Combo:
            combo1_ = new BrandList(this);
            combo1_->setEditable(false);
            combo1_->setCurrentIndex(-1);
            return combo1_;
        case Kind::Check:
            // Only the box: the explanation is Label8.
            return check1_ = new QCheckBox(this);
        case Kind::Button:
            return command1_ = CreateButton(c, this);
    }
    return nullptr;
}

void Form1::BuildLayout() {
    std::vector<std::pair<int, QWidget*>> tabOrder;
    std::array<std::vector<QWidget*>, 3> layers;
    for (const ControlLayout& c : kLayout) {
        QWidget* widget = CreateControl(c);
        widget->setObjectName(QLatin1String(c.name));
        widget->setGeometry(TwipsToPixels(c.left), TwipsToPixels(c.top), TwipsToPixels(c.width),
                            TwipsToPixels(c.height));
        if (!c.visible) widget->setVisible(false);
        if (c.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus) tabOrder.emplace_back(c.tabIndex, widget);
        layers[static_cast<std::size_t>(LayerOf(c.kind))].push_back(widget);
    }
    for (const auto& layer : layers)
        for (QWidget* w : layer) w->raise();
    SetTabOrder(std::move(tabOrder));

    // The window opens with the focus in Text7 and its text selected.
    Field(7)->setFocus(Qt::OtherFocusReason);
    Field(7)->selectAll();
}

void Form1::SetTabOrder(std::vector<std::pair<int, QWidget*>> tabOrder) {
    std::sort(tabOrder.begin(), tabOrder.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
}

void Form1::AttachRun(RunFeedback& feedback, ReportDisplay& display) {
    feedback_ = &feedback;
    display_ = &display;
}

void Form1::LoadStep() {
    CentreOnScreen(*this);
    for (const Brand& brand : BrandTable) combo1_->addItem(FromUtf8(brand.name));
    combo1_->setCurrentIndex(-1);
}

void Form1::ModeSwitch() {
    const int value = CheckValue();
    if (value != 0 && value != 1) return;
    for (const ModeRow& row : kModeRows) Control(row.name)->setVisible(row.perYear == (value == 1));
}

int Form1::CheckValue() const {
    switch (check1_->checkState()) {
        case Qt::Unchecked:
            return 0;
        case Qt::Checked:
            return 1;
        default:
            return 2;
    }
}

QWidget* Form1::Control(std::string_view name) const {
    return findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

RunInputs Form1::Inputs() const {
    return form1::ReadInputs(
        [this](const ControlLayout& c) {
            QWidget* control = Control(c.name);
            if (const auto* list = qobject_cast<QComboBox*>(control)) return list->currentText().toStdString();
            return static_cast<QLineEdit*>(control)->text().toStdString();
        },
        [this](const ControlLayout&) { return CheckValue() == 1; });
}

void Form1::StartRun() {
    if (feedback_ == nullptr || display_ == nullptr) return;
    const RunOutcome outcome = Calculate(Inputs(), separator_);
    ShowOutcome(outcome);
    if (!outcome.ReportDue()) return;
    if (const std::optional<FatalError> error = WriteReport(outcome.inputs, outcome.results, separator_, reportPath_)) {
        feedback_->ShowError(*error);
        return;
    }
    ClosingStep(outcome, CloseRun(outcome));
}

// Boxes and fields in the order the run met them: its messages, the two
// results it got as far as, the error that stopped it.
void Form1::ShowOutcome(const RunOutcome& outcome) {
    for (const std::string_view message : outcome.messages) feedback_->ShowMessage(message);
    ShowResults(outcome.dailyConsumptionText, outcome.weldingSecondsText);
    if (outcome.failure) feedback_->ShowError(*outcome.failure);
}

void Form1::ShowResults(const std::optional<std::string>& dailyConsumption,
                        const std::optional<std::string>& weldingTime) {
    if (dailyConsumption) Field(5)->setText(FromUtf8(*dailyConsumption));
    if (weldingTime) Field(6)->setText(FromUtf8(*weldingTime));
}

void Form1::ClosingStep(const RunOutcome& outcome, const RunEnd& end) {
    ShowResults(end.dailyConsumption, end.weldingTime);
    if (end.showsReport) display_->ShowReport(reportPath_, outcome.inputs, outcome.results);
}

}  // namespace korvel
