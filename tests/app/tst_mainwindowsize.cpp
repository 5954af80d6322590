// The main window's size that shows every tool window whole: at that size the tool-window
// area's view holds each sub-window where it stands, to its last pixel, without scroll bars.
// Its connection bar, from a full-HD screen's width down to half a laptop's, shows every widget
// whole, side by side or in rows, no two over each other, and so does the error bar over it,
// its error wrapped at the window's width.
#include "errorbar.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "wholetextlabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>

class TestMainWindowSize : public QObject
{
    Q_OBJECT

private slots:
    void sizeShowsEveryToolWindowWhole()
    {
        MainWindow window;
        MdiArea *area = window.mdiArea();
        const QList<QRect> places = {QRect(0, 0, 300, 200), QRect(250, 120, 500, 460),
                                     QRect(40, 300, 200, 150)};
        for (const QRect &place : places) {
            QMdiSubWindow *sub = area->addSubWindow(new QWidget);
            sub->setGeometry(place);
            sub->show();
        }
        window.resize(window.sizeShowingToolWindows());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Each stays where it was put (the area moves in one that would stand out of its view).
        const QRect view(QPoint(), area->viewport()->size());
        for (qsizetype i = 0; i < places.size(); ++i) {
            QCOMPARE(area->subWindowList().at(i)->geometry(), places.at(i));
            QVERIFY(view.contains(places.at(i)));
        }
        QVERIFY(!area->verticalScrollBar()->isVisible() &&
                !area->horizontalScrollBar()->isVisible());
    }

    // Connected, with the firmware line or the simulation's mark, the log's counters and an
    // error in the error bar, at widths from 1440 down to 683: each widget of the bars lies
    // within the status bar, over no other, and shows its text whole; at full width the
    // connection bar's stand in one row.
    void connectionBarWhole_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("oneRow"); // at full width
        QTest::newRow("firmware") << QStringLiteral("FW P110: v     1044c from 26.08.2024 10:00")
                                  << true;
        QTest::newRow("simulation")
            << QStringLiteral("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>")
            << true;
        QTest::newRow("long") << QStringLiteral("FW %1 from 26.08.2024").arg(QString(90, 'X'))
                              << false;
    }
    void connectionBarWhole()
    {
        QFETCH(QString, status);
        QFETCH(bool, oneRow);
        MainWindow window;
        window.setConnectedUi(1);
        window.setStatusText(status);
        window.addStatusWidget(new QLabel(QStringLiteral("Err:0 Warn:0 Inf:12345")));
        // An error naming a path longer than half a laptop's screen, over the connection bar.
        window.errorBar()->addError(QStringLiteral("Cannot open /dev/serial/by-id/%1: No such "
                                                   "file or directory")
                                        .arg(QString(120, 'x')));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int width : {1440, 1080, 960, 800, 683}) {
            window.resize(width, 600);
            QTRY_COMPARE(window.width(), width);
            QTRY_VERIFY2(barIsWhole(window), qPrintable(QString::number(width)));
            const QWidget *error = window.errorBar()->findChild<WholeTextLabel *>();
            QVERIFY(width > 683 || error->height() >= 3 * error->fontMetrics().height());
            if (width == 1440 && oneRow)
                QCOMPARE(rows(window), 1);
        }
    }

private:
    // Every widget the bar shows, groups of a lamp and its label as one; not the rows that hold
    // the error bar and the connection bar.
    static QList<QWidget *> barWidgets(const MainWindow &window)
    {
        QList<QWidget *> shown;
        for (QWidget *w : window.statusBar()->findChildren<QWidget *>()) {
            const QWidget *parent = w->parentWidget();
            if (w->isVisible() && parent != window.statusBar() &&
                parent->parentWidget() != window.statusBar() &&
                !qobject_cast<QComboBox *>(w->parentWidget()))
                shown << w;
        }
        return shown;
    }

    // Where a widget lies in the bar.
    static QRect inBar(const MainWindow &window, const QWidget *w)
    {
        return QRect(w->mapTo(window.statusBar(), QPoint()), w->size());
    }

    static bool showsTextWhole(const QWidget *w)
    {
        if (const auto *label = qobject_cast<const QLabel *>(w))
            return label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                                     : label->width() >= label->sizeHint().width();
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        if (button && !button->text().isEmpty())
            return w->width() >= w->sizeHint().width() && w->height() >= w->sizeHint().height();
        return true;
    }

    // The rows the connection bar's widgets stand in: their middles, a row apart.
    static int rows(const MainWindow &window)
    {
        QList<int> middles;
        for (const QWidget *w : barWidgets(window)) {
            if (!window.errorBar()->isAncestorOf(w))
                middles << inBar(window, w).center().y();
        }
        std::sort(middles.begin(), middles.end());
        int rows = middles.isEmpty() ? 0 : 1;
        for (qsizetype i = 1; i < middles.size(); ++i)
            rows += middles.at(i) - middles.at(i - 1) > 10;
        return rows;
    }

    static bool barIsWhole(const MainWindow &window)
    {
        const QList<QWidget *> shown = barWidgets(window);
        const QRect bar = window.statusBar()->rect();
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QRect place = inBar(window, shown.at(i));
            if (!bar.contains(place) || !showsTextWhole(shown.at(i))) {
                qWarning() << shown.at(i) << place << "in" << bar;
                return false;
            }
            for (qsizetype j = i + 1; j < shown.size(); ++j) {
                if (place.intersects(inBar(window, shown.at(j)))) {
                    qWarning() << shown.at(i) << "over" << shown.at(j);
                    return false;
                }
            }
        }
        return shown.size() >= 14;
    }
};

QTEST_MAIN(TestMainWindowSize)
#include "tst_mainwindowsize.moc"
