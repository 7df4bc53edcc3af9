// SPDX-License-Identifier: GPL-3.0-or-later
// The input window's widgets as plain Qt classes, with the toolkit's defaults
// and none of korvel's own start-up: what startup_bench measures korvel
// against.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "forms/form1_layout.h"
#include "calc/substances.h"

using korvel::form1::Kind;

namespace {

// 15 twips a pixel, as the window's own rule rounds them; nothing of the
// window's libraries is linked, so that the bare window loads only Qt.
int TwipsToPixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QWidget* Create(const korvel::form1::ControlLayout& c, QWidget* window) {
    switch (c.kind) {
        case Kind::Rect: {
            auto* frame = new QFrame(window);
            frame->setFrameShape(QFrame::Box);
            return frame;
        }
        case Kind::Label:
        case Kind::CentredLabel:
        case Kind::FramedLabel: {
            auto* label = new QLabel(FromUtf8(c.text), window);
            label->setWordWrap(true);
            if (c.kind != Kind::Label) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            if (c.kind == Kind::FramedLabel) label->setFrameShape(QFrame::Box);
            return label;
        }
        case Kind::Field:
        case Kind::LeftField:
        case Kind::DisplayField: {
            auto* field = new QLineEdit(FromUtf8(c.text), window);
            field->setEnabled(c.kind != Kind::DisplayField);
            return field;
        }
        case Kind::Combo: {
            auto* combo = new QComboBox(window);
            for (const korvel::Brand& brand : korvel::BrandTable) combo->addItem(FromUtf8(brand.name));
            combo->setCurrentIndex(-1);
            return combo;
        }
        case Kind::Check:
            return new QCheckBox(window);
        case Kind::Button:
            return new QPushButton(FromUtf8(c.text), window);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Расчет выделений ЗВ при электросварке"));
    window.setFixedSize(TwipsToPixels(korvel::form1::kClientWidth), TwipsToPixels(korvel::form1::kClientHeight));
    for (const auto& c : korvel::form1::kLayout) {
        QWidget* widget = Create(c, &window);
        widget->setGeometry(TwipsToPixels(c.left), TwipsToPixels(c.top), TwipsToPixels(c.width),
                            TwipsToPixels(c.height));
        widget->setVisible(c.visible);
    }
    const QRect screen = window.screen()->geometry();
    window.move(screen.center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
