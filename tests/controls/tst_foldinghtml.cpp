#include "foldingbox.h"
#include "htmllistbox.h"
#include "htmltextitemdelegate.h"
#include "pacedcall.h"

#include <QtTest>
#include <QtWidgets>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace CustomControls;

class TestFoldingHtml : public QObject
{
    Q_OBJECT

private:
    // The lines of the image that hold strongly red pixels.
    static QList<int> redLines(const QImage &image)
    {
        QList<int> lines;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90 && !lines.contains(y))
                    lines.append(y);
            }
        return lines;
    }

private slots:
    void listRows()
    {
        HtmlListBox box(3);
        QCOMPARE(box.count(), 3);
        QCOMPARE(HtmlListBox(0).count() + HtmlListBox(-2).count(), 0);
        QCOMPARE(HtmlListBox().count(), 1);
        box.setItems({"a", "<b>b</b>"});
        box.setCurrentRow(1);
        box.clear();
        QCOMPARE(box.currentRow(), -1);
        box.addItem("first"); // the cleared model keeps its column
        QCOMPARE(box.itemText(0), QString("first"));
        QCOMPARE(box.delegate()->createEditor(&box, {}, box.itemModel()->index(0, 0)), nullptr);
        // A burst of rows counts and reads at once, and reaches the view in one insertion.
        QSignalSpy inserted(box.itemModel(), &QAbstractItemModel::rowsInserted);
        for (int i = 1; i <= 50; ++i)
            box.addItem(QString("row %1").arg(i));
        box.setItemText(50, "last");
        box.followLastRowSoon();
        QCOMPARE(box.count(), 51);
        QCOMPARE(box.itemText(50), QString("last"));
        QTRY_COMPARE(box.currentRow(), 50);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(box.itemModel()->index(50, 0).data().toString(), QString("last"));
    }

    // With a bound, rows waiting for their show and rows shown leave oldest first; the list
    // counts them and says so once a show has let them go.
    void boundKeepsTheNewestRows()
    {
        HtmlListBox box(0);
        QSignalSpy dropped(&box, &HtmlListBox::signal_rowsDropped);
        box.setMaximumRows(3);
        for (int i = 0; i < 5; ++i)
            box.addLine("", QString::number(i), "");
        QCOMPARE(box.count(), 3);
        QCOMPARE(box.lineText(0), QString("2"));
        box.showAddedRows();
        box.addLine("", "5", "");
        box.followLastRow();
        QCOMPARE(box.count(), 3);
        QCOMPARE(QStringList({box.lineText(0), box.lineText(1), box.lineText(2)}),
                 QStringList({"3", "4", "5"}));
        QCOMPARE(box.itemText(2), QString("5"));
        QCOMPARE(box.droppedRows(), 3);
        QCOMPARE(dropped.count(), 2);
        QCOMPARE(dropped.last().first().toLongLong(), 3);
        QCOMPARE(box.currentRow(), 2);
        box.setMaximumRows(1); // a smaller bound lets rows go at once
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.droppedRows(), 5);
        box.setItems({"a", "b", "c"}); // a whole list keeps its newest too
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.itemText(0), QString("c"));
    }

    // A screen reader reads the list as a list of the rows shown, each as the plain text drawn
    // (markup of a plain row as it is, a rich row's without its tags); a row's item follows its
    // row as older rows leave, and goes when its row does; so too while a screen reader
    // listens, when the view tells the interface of the rows' changes itself. A listening reader
    // hears of the row the keyboard moves to, and of a row announced as new when it shows.
    void screenReaderReadsTheRows_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addRow("no reader") << false;
        QTest::addRow("reader listening") << true;
    }

    void screenReaderReadsTheRows()
    {
        QFETCH(bool, listening);
        static QList<QPair<QAccessible::Event, int>> heard; // of a row of the list
        heard.clear();
        const QAccessible::UpdateHandler handler =
            QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
                const bool ofRow = event->type() == QAccessible::Focus ||
                                   event->type() == QAccessible::ObjectCreated;
                if (ofRow && qobject_cast<HtmlListBox *>(event->object()) && event->child() >= 0)
                    heard.append({event->type(), event->child()});
            });
        // As the platform's bridge does once a screen reader asks.
        QPlatformAccessibility *platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility();
        platform->setActive(listening);
        const auto quiet = qScopeGuard([platform, handler]() {
            platform->setActive(false);
            QAccessible::installUpdateHandler(handler);
        });
        QCOMPARE(QAccessible::isActive(), listening);
        HtmlListBox box(0);
        box.setMaximumRows(3);
        box.resize(300, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&box);
        QCOMPARE(list->role(), QAccessible::List);
        box.addLine("C(-1) [date]", " <b>failed</b> &amp;", "red");
        box.addLine("", " next", "");
        box.addItem("rich <font color=red>row</font>");
        QCOMPARE(list->childCount(), 0); // not shown yet
        box.showAddedRows();
        QCOMPARE(list->childCount(), 3);
        QCOMPARE(list->tableInterface()->rowCount(), 3);
        QStringList names;
        for (int row = 0; row < 3; ++row)
            names << list->child(row)->text(QAccessible::Name);
        QCOMPARE(names, QStringList({"C(-1) [date] <b>failed</b> &amp;", "next", "rich row"}));
        QAccessibleInterface *first = list->child(0), *second = list->child(1);
        const QAccessible::Id firstId = QAccessible::uniqueId(first);
        QCOMPARE(second->role(), QAccessible::ListItem);
        QCOMPARE(second->parent(), list);
        QCOMPARE(list->indexOfChild(second), 1);
        QCOMPARE(list->childAt(second->rect().center().x(), second->rect().center().y()), second);
        const QAccessible::State state = second->state();
        QVERIFY(state.selectable && state.focusable && !state.selected);
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.setFocus();
        box.setCurrentRow(1);
        QCOMPARE(list->tableInterface()->selectedRows(), QList<int>{1});
        QVERIFY(second->state().selected && second->tableCellInterface()->isSelected());
        QCOMPARE(list->focusChild(), second); // the current row has the keyboard
        QVERIFY(second->state().focused && !list->child(0)->state().focused);
        const QAccessible::Id secondId = QAccessible::uniqueId(second);
        box.addLine("", " newest", "");
        box.announceNewest();
        box.followLastRow(); // the first row leaves
        QCOMPARE(QAccessible::accessibleInterface(firstId), nullptr);
        QCOMPARE(QAccessible::accessibleInterface(secondId), second); // moved once, kept
        QCOMPARE(list->indexOfChild(second), 0);
        QCOMPARE(second->text(QAccessible::Name), QString("next"));
        QCOMPARE(list->child(2)->text(QAccessible::Name), QString("newest"));
        using Heard = QList<QPair<QAccessible::Event, int>>;
        const Heard told{{QAccessible::Focus, 1}, {QAccessible::ObjectCreated, 2}};
        QCOMPARE(heard, listening ? told : Heard());
        box.clear();
        QCOMPARE(list->childCount(), 0);
        QCOMPARE(QAccessible::accessibleInterface(secondId), nullptr);
        QAccessible::Id left = 0;
        {
            HtmlListBox gone(0);
            gone.addItem("row");
            gone.showAddedRows();
            left = QAccessible::uniqueId(QAccessible::queryAccessibleInterface(&gone)->child(0));
        }
        QCOMPARE(QAccessible::accessibleInterface(left), nullptr); // the rows go with their list
    }

    // A paced call that takes longer than its interval leaves the event loop that interval
    // before it runs again: a burst's shows keep their pace, and what waits (a request, a click)
    // is served between them. A call asked for within its own run runs again after it.
    void pacedCallsKeepTheirPace()
    {
        QObject context;
        int runs = 0;
        QList<int> turnsBefore; // the event loop's turns before each run
        int turns = 0;
        PacedCall *self = nullptr;
        PacedCall paced(
            &context,
            [&]() {
                turnsBefore.append(std::exchange(turns, 0));
                QThread::msleep(60); // longer than the interval
                if (++runs < 3)
                    self->ask();
            },
            40);
        self = &paced;
        QTimer ticker; // a turn of the event loop, as a waiting request's would be
        connect(&ticker, &QTimer::timeout, [&]() { ++turns; });
        ticker.start(0);
        paced.ask();
        QTRY_COMPARE(runs, 3);
        QVERIFY(!paced.isAsked());
        for (int i = 1; i < 3; ++i)
            QVERIFY2(turnsBefore.at(i) > 1, qPrintable(QString::number(turnsBefore.at(i))));
        paced.ask();
        paced.runIfAsked(); // run now, and not again when its time comes
        QCOMPARE(runs, 4);
        QTest::qWait(100);
        QCOMPARE(runs, 4);
    }

    // Making a row current scrolls it into view, also when it already is the current one.
    void currentRowIsScrolledTo()
    {
        HtmlListBox box;
        box.resize(300, 100);
        QStringList items;
        for (int i = 0; i < 50; ++i)
            items << QString("row %1").arg(i);
        box.setItems(items);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (int row : {45, 3, 3, 45}) {
            box.verticalScrollBar()->setValue(row < 10 ? box.verticalScrollBar()->maximum() : 0);
            box.setCurrentRow(row);
            QVERIFY(
                box.viewport()->rect().contains(box.visualRect(box.itemModel()->index(row, 0))));
            QCOMPARE(box.currentRow(), row);
        }
        box.setCurrentRow(49); // made taller at the foot of the list, it shows the first rows again
        box.resize(300, 1200);
        QTRY_VERIFY(box.viewport()->rect().contains(box.visualRect(box.itemModel()->index(0, 0))));
        QCOMPARE(box.verticalScrollBar()->value(), 0);
    }

    // The markup's colours show, in the row of the item (rows of 20 pixels).
    void listShowsHtmlColours()
    {
        HtmlListBox box;
        box.resize(400, 100);
        box.setItems({"plain", "plain", "x <font color=\"#ff0000\">RED RED RED</font> x"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QList<int> lines = redLines(box.viewport()->grab().toImage());
        QVERIFY(lines.size() > 3);
        const auto [top, bottom] = std::minmax_element(lines.begin(), lines.end());
        QVERIFY(*top >= 40 && *bottom < 60);
        box.setItemText(2, "x RED RED RED x");
        QVERIFY(redLines(box.grab().toImage()).isEmpty());
    }

    // Short rows never scroll sideways, also after the list was wide and is narrowed; a row
    // made wider does.
    void narrowedListKeepsShortRows()
    {
        HtmlListBox box;
        box.resize(1000, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.addItem("short");
        box.resize(300, 100);
        QTRY_VERIFY(box.viewport()->width() < 300);
        QApplication::processEvents();
        QCOMPARE(box.horizontalScrollBar()->maximum(), 0);
        box.setItemText(0, QString("x").repeated(120)); // a row made wider scrolls at once
        QTRY_VERIFY(box.horizontalScrollBar()->maximum() > 0);
    }

    // A line longer than the list wraps at its blanks, so the whole of it shows (as an error's
    // reason in a log docked at half a laptop's screen); narrowed, it takes more lines.
    void longLinesWrap()
    {
        HtmlListBox box(0);
        box.resize(340, 300);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QString reason = "Error GET Configuration.SACONF: no board is connected (the tool "
                               "windows take requests once one is)";
        box.addLine("C(-1) [Wed Dec 9 10:31:09 2026]", " " + reason, "red");
        box.addLine("", "next", "");
        box.followLastRow();
        QApplication::processEvents();
        const QRect row = box.visualRect(box.itemModel()->index(0, 0));
        QVERIFY2(row.height() >= 3 * 13, qPrintable(QString::number(row.height())));
        QVERIFY(box.viewport()->rect().contains(row));
        QCOMPARE(box.visualRect(box.itemModel()->index(1, 0)).top(), row.bottom() + 1);
        QCOMPARE(box.horizontalScrollBar()->maximum(), 0);
        // Its lines keep within the list, margins and all.
        QVERIFY(box.delegate()->rowSize(box.itemModel()->index(0, 0)).width() <=
                box.viewport()->width());
        box.resize(200, 300);
        QTRY_VERIFY(box.visualRect(box.itemModel()->index(0, 0)).height() > row.height());
        QCOMPARE(box.horizontalScrollBar()->maximum(), 0);
        // Following the newest row under tall ones shows it whole at the foot, in a list with
        // room for it, two tall rows and half a third.
        for (int i = 0; i < 10; ++i)
            box.addLine("C(-1) [Wed Dec 9 10:31:10 2026]", " " + reason, "red");
        box.addLine("", "last", "");
        box.followLastRow();
        const int rows = box.itemModel()->rowCount();
        const int tall = box.delegate()->rowSize(box.itemModel()->index(rows - 2, 0)).height();
        const int last = box.delegate()->rowSize(box.itemModel()->index(rows - 1, 0)).height();
        box.resize(200, box.height() - box.viewport()->height() + last + 2 * tall + tall / 2);
        box.followLastRow();
        QApplication::processEvents();
        QVERIFY(box.viewport()->rect().contains(
            box.visualRect(box.itemModel()->index(rows - 1, 0))));
        QCOMPARE(box.visualRect(box.itemModel()->index(rows - 3, 0)).top(), 0);
    }

    // The current row is drawn highlighted behind its text.
    void currentRowHighlighted()
    {
        HtmlListBox box;
        box.resize(300, 100);
        box.setItems({"a", "b"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setCurrentRow(1);
        const QImage image = box.viewport()->grab().toImage();
        const QRgb highlight = box.palette().color(QPalette::Highlight).rgb();
        const auto highlighted = [&image, highlight](int top) {
            for (int y = top; y < top + 20; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) == highlight)
                        return true;
            return false;
        };
        QVERIFY(!highlighted(0) && highlighted(20));
    }

    // A row wider than the list scrolls sideways to its end; following the last row keeps the
    // sideways scroll and selects nothing; clearing narrows the rows again.
    void wideRowsScroll()
    {
        HtmlListBox box;
        box.resize(300, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.addItem("short");
        QApplication::processEvents();
        QCOMPARE(box.horizontalScrollBar()->maximum(), 0);
        box.addItem(QString("x").repeated(120) + "<font color=\"#ff0000\">END</font>");
        QScrollBar *sideways = box.horizontalScrollBar();
        QTRY_VERIFY(sideways->maximum() > 0);
        QVERIFY(redLines(box.viewport()->grab().toImage()).isEmpty());
        sideways->setValue(sideways->maximum());
        QVERIFY(!redLines(box.viewport()->grab().toImage()).isEmpty());
        const int scrolled = sideways->value();
        box.setCurrentRow(0);
        for (int i = 0; i < 10; ++i)
            box.addItem("more");
        box.followLastRow();
        const int last = box.count() - 1;
        QCOMPARE(box.currentRow(), last);
        QVERIFY(!box.selectionModel()->hasSelection());
        QApplication::processEvents();
        const QRect row = box.visualRect(box.itemModel()->index(last, 0));
        QVERIFY(row.top() >= 0 && row.bottom() < box.viewport()->height());
        QCOMPARE(sideways->value(), scrolled);
        box.verticalScrollBar()->setValue(0); // scrolled away, the last row is followed again
        box.followLastRow();
        QApplication::processEvents();
        QCOMPARE(box.visualRect(box.itemModel()->index(last, 0)), row);
        box.clear();
        box.addItem("short");
        QApplication::processEvents();
        QCOMPARE(sideways->maximum(), 0);
        box.resize(900, 100); // short rows are half as wide as the list, and follow it
        QApplication::processEvents();
        box.resize(200, 100);
        QTRY_COMPARE_WITH_TIMEOUT(sideways->maximum(), 0, 30000);
        box.setItems({"short", QString("x").repeated(120)}); // a whole list widens as well
        QTRY_VERIFY_WITH_TIMEOUT(sideways->maximum() > 0, 30000);
        QFont large = box.font(); // rows are measured in the list's own font
        large.setPointSize(large.pointSize() * 3);
        box.setFont(large);
        box.addItem(QString("x").repeated(150) + "<font color=\"#ff0000\">END</font>");
        const auto endShown = [&]() { // taller rows now: the last one is scrolled to
            box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
            sideways->setValue(sideways->maximum());
            return !redLines(box.viewport()->grab().toImage()).isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(endShown(), 30000);
    }

    // A show paints the rows it adds (and the row that was current, and the one under the mouse),
    // not the rows in view: they move up unpainted.
    void showPaintsOnlyTheRowsItAdds()
    {
        struct PaintedArea : QObject {
            QRegion painted;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent *>(event)->region();
                return false;
            }
        } area;
        HtmlListBox box(0);
        box.resize(300, 400);
        for (int i = 0; i < 100; ++i)
            box.addLine(QString(), QString("row %1").arg(i), "blue");
        box.followLastRow();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QApplication::processEvents();
        box.viewport()->installEventFilter(&area);
        for (int added : {1, 3}) {
            area.painted = QRegion();
            for (int i = 0; i < added; ++i)
                box.addLine("lead ", QString("new %1").arg(i), "blue");
            box.followLastRow();
            QTRY_VERIFY(!area.painted.isEmpty());
            QApplication::processEvents();
            int rows = 0; // the rows whose place was painted
            for (int row = 0; row < box.count(); ++row)
                rows += area.painted.intersects(box.visualRect(box.itemModel()->index(row, 0)));
            QVERIFY2(rows <= added + 2, qPrintable(QString::number(rows)));
        }
        // A row clicked, or reached with the keyboard, is selected and painted so.
        const auto paintedRow = [&](int row) {
            return area.painted.contains(box.visualRect(box.itemModel()->index(row, 0)));
        };
        area.painted = QRegion();
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {},
                          box.visualRect(box.itemModel()->index(95, 0)).center());
        QTRY_VERIFY(paintedRow(95));
        QCOMPARE(box.currentRow(), 95);
        area.painted = QRegion();
        QTest::keyClick(&box, Qt::Key_Down);
        QTRY_VERIFY(paintedRow(95) && paintedRow(96));
        QVERIFY(box.selectionModel()->isRowSelected(96) &&
                !box.selectionModel()->isRowSelected(95));
        QTest::keyClick(&box, Qt::Key_End);
        QCOMPARE(box.currentRow(), box.count() - 1);
        QCOMPARE(box.lineText(box.count() - 1), QString("new 2"));
        QCOMPARE(box.itemText(box.count() - 1), QString("lead <font color=\"blue\">new 2</font>"));
    }

    // Unchecking the title's check box folds the box; checking restores its height. A double
    // click asks for a new title; cancelling keeps the old one. Ctrl+click drags it.
    void folding()
    {
        FoldingBox box;
        box.setTitle("Title");
        box.setCheckable(true);
        box.setChecked(true);
        box.resize(200, 150);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy resized(&box, &FoldingBox::signal_resized);
        QStyleOptionGroupBox option;
        option.initFrom(&box);
        option.subControls = QStyle::SC_GroupBoxCheckBox | QStyle::SC_GroupBoxLabel;
        option.text = box.title();
        const QRect check = box.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxCheckBox, &box);
        for (bool unfolded : {false, true}) {
            QTest::mouseClick(&box, Qt::LeftButton, {}, check.center());
            QCOMPARE(box.isChecked(), unfolded);
            QCOMPARE(box.height(), unfolded ? 150 : FoldingBox::foldedHeight());
        }
        box.setFolded(false);
        QCOMPARE(box.height(), FoldingBox::foldedHeight());
        QVERIFY(!box.isChecked());
        QCOMPARE(resized.count(), 3);
        for (bool accept : {true, false}) {
            QTimer::singleShot(50, [accept]() {
                auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->setTextValue(accept ? "New title" : "Other");
                accept ? dialog->accept() : dialog->reject();
            });
            QTest::mouseDClick(&box, Qt::LeftButton);
            QCOMPARE(box.title(), QString("New title"));
        }
        // Only a Ctrl+click starts a drag, and only where dragging is enabled.
        box.setChecked(true);
        box.setFolded(true);
        QSignalSpy drags(&box, &FoldingBox::signal_dragdrop);
        QList<int> counts;
        for (const bool enabled : {false, true}) {
            box.setDragEnabled(enabled);
            for (const auto modifier : {Qt::NoModifier, Qt::ControlModifier}) {
                QTest::mouseClick(&box, Qt::LeftButton, modifier, QPoint(100, 100));
                counts.append(int(drags.count()));
            }
        }
        QCOMPARE(counts, QList<int>({0, 0, 0, 1}));
    }
};

QTEST_MAIN(TestFoldingHtml)
#include "tst_foldinghtml.moc"
