// SPDX-License-Identifier: GPL-3.0-or-later
// Centring by the outer rectangle at any scale factor: the frame an X11
// window manager announces is in device pixels, the window's place in logical
// pixels.
#include <QTest>
#include <cmath>

#include "platform/window_placement.h"

class WindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void outerRectangleCentredOnTheDevice_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QMargins>("deviceFrame");
        const QMargins thin(1, 20, 1, 1);   // openbox: title bar and a 1-pixel border
        const QMargins thick(4, 30, 4, 4);  // a broad border
        for (const double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
            QTest::addRow("thin frame at %g", ratio) << ratio << thin;
            QTest::addRow("thick frame at %g", ratio) << ratio << thick;
        }
    }
    void outerRectangleCentredOnTheDevice() {
        QFETCH(double, ratio);
        QFETCH(QMargins, deviceFrame);
        const QSize deviceScreen(2560, 1440);
        const QRect screen(0, 0, qRound(deviceScreen.width() / ratio), qRound(deviceScreen.height() / ratio));
        const QSize client(549, 293);

        const QRect placed = korvel::CentredClientRect(screen, client, korvel::LogicalFrame(deviceFrame, ratio));

        // Where the window manager then draws the frame, in device pixels.
        const QPoint deviceClient(qRound(placed.x() * ratio), qRound(placed.y() * ratio));
        const QRect outer(deviceClient - QPoint(deviceFrame.left(), deviceFrame.top()),
                          QSize(qRound(client.width() * ratio), qRound(client.height() * ratio)).grownBy(deviceFrame));
        // Off centre by less than a logical pixel, rounding of both kinds included.
        QVERIFY2(std::abs(2 * outer.x() + outer.width() - deviceScreen.width()) <= 2 * ratio + 1,
                 qPrintable(QStringLiteral("outer left %1, width %2").arg(outer.x()).arg(outer.width())));
        QVERIFY2(std::abs(2 * outer.y() + outer.height() - deviceScreen.height()) <= 2 * ratio + 1,
                 qPrintable(QStringLiteral("outer top %1, height %2").arg(outer.y()).arg(outer.height())));
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
