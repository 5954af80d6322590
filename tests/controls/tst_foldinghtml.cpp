#include "foldingbox.h"
#include "htmllistbox.h"
#include "htmltextitemdelegate.h"

#include <QApplication>
#include <QInputDialog>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

using namespace CustomControls;

class TestFoldingHtml : public QObject
{
    Q_OBJECT

private:
    static QSize rowHint(HtmlListBox &box, int row)
    {
        return box.delegate()->sizeHint(QStyleOptionViewItem(), box.itemModel()->index(row, 0));
    }

    // The rows of the image that hold strongly red pixels.
    static QList<int> redRows(const QImage &image)
    {
        QList<int> rows;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90 && !rows.contains(y))
                    rows.append(y);
            }
        return rows;
    }

private slots:
    void listRows()
    {
        HtmlListBox box;
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.delegate()->createEditor(&box, {}, box.itemModel()->index(0, 0)), nullptr);
        box.clear();
        QCOMPARE(box.currentRow(), -1);
        box.addItem("first");
        QCOMPARE(box.itemText(0), QString("first"));
        QCOMPARE(box.itemModel()->columnCount(), 1);

        HtmlListBox three(3);
        QCOMPARE(three.count(), 3);
        three.setItems({"a", "<b>b</b>"});
        three.setItemText(0, "z");
        three.addItem("c");
        QCOMPARE(QStringList({three.itemText(0), three.itemText(1), three.itemText(2)}),
                 QStringList({"z", "<b>b</b>", "c"}));
        three.setCurrentRow(2);
        QCOMPARE(three.currentRow(), 2);
    }

    // Rows are as wide as about half the box, whatever their text; a set size wins.
    void listHintFollowsWidth()
    {
        HtmlListBox box;
        box.resize(400, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(rowHint(box, 0), QSize(190, 20));
        box.resize(600, 200);
        QTRY_COMPARE(rowHint(box, 0), QSize(290, 20));
        QVERIFY(box.viewport()->width() > 400); // the base class handled the resize too
        box.setItemSize(100, 30);
        box.setItems({"short", QString(500, QChar('x'))});
        QCOMPARE(rowHint(box, 1), QSize(100, 30));
    }

    // The markup's colours show, in the row of the item.
    void listShowsHtmlColours()
    {
        HtmlListBox box;
        box.resize(400, 100);
        box.setItems({"plain", "x <font color=\"#ff0000\">RED RED RED</font> x"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QList<int> rows = redRows(box.viewport()->grab().toImage());
        QVERIFY(rows.size() > 3);
        QVERIFY(*std::min_element(rows.begin(), rows.end()) >= 20);
        box.setItemText(1, "x RED RED RED x");
        QVERIFY(redRows(box.grab().toImage()).isEmpty());
    }

    // Unchecking the title's check box folds the box; checking restores its height.
    void foldingFoldsAndRestores()
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
        const QPoint check = box.style()
                                 ->subControlRect(QStyle::CC_GroupBox, &option,
                                                  QStyle::SC_GroupBoxCheckBox, &box)
                                 .center();
        for (bool unfolded : {false, true}) {
            QTest::mouseClick(&box, Qt::LeftButton, {}, check);
            QCOMPARE(box.isChecked(), unfolded);
            QCOMPARE(box.height(), unfolded ? 150 : FoldingBox::foldedHeight());
        }
        box.setFolded(false);
        QCOMPARE(box.height(), FoldingBox::foldedHeight());
        QVERIFY(!box.isChecked());
        QCOMPARE(resized.count(), 3);
    }

    void foldingDragSignal()
    {
        FoldingBox box;
        box.resize(200, 150);
        QSignalSpy drag(&box, &FoldingBox::signal_dragdrop);
        const QPoint at(50, 50);
        QTest::mouseClick(&box, Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(drag.count(), 0); // drag not enabled
        box.setDragEnabled(true);
        QTest::mouseClick(&box, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, at);
        QCOMPARE(drag.count(), 0); // not exactly Ctrl
        QTest::mouseClick(&box, Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(drag.count(), 1);
    }

    // A double click asks for a new title; cancelling keeps the old one.
    void foldingRename()
    {
        FoldingBox box;
        box.setTitle("Old");
        box.resize(200, 150);
        for (bool accept : {true, false}) {
            QTimer::singleShot(50, [accept]() {
                auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->setTextValue(accept ? "New title" : "Other");
                accept ? dialog->accept() : dialog->reject();
            });
            QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(50, 50));
            QCOMPARE(box.title(), QString("New title"));
        }
    }
};

QTEST_MAIN(TestFoldingHtml)
#include "tst_foldinghtml.moc"
