// The main window's size that shows every tool window whole: at that size the tool-window
// area's view holds each sub-window where it stands, to its last pixel, without scroll bars.
#include "mainwindow.h"
#include "mdiarea.h"

#include <QMdiSubWindow>
#include <QScrollBar>
#include <QtTest>

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
};

QTEST_MAIN(TestMainWindowSize)
#include "tst_mainwindowsize.moc"
