#include "foldingbox.h"
#include "htmllistbox.h"
#include "htmltextitemdelegate.h"

#include <QApplication>
#include <QInputDialog>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

using namespace CustomControls;

class TestFoldingHtml : public QObject
{
    Q_OBJECT

private:
    // Answers the next modal dialog: sets its text and accepts it, or rejects it.
    static void answerDialog(bool accept, const QString &text = QString())
    {
        QTimer::singleShot(50, [accept, text]() {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (accept) {
                dialog->setTextValue(text);
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
    }

    static QSize rowHint(HtmlListBox &box, int row)
    {
        QStyleOptionViewItem option;
        return box.delegate()->sizeHint(option, box.itemModel()->index(row, 0));
    }

    // A checked, foldable box of 200 x 150.
    static void makeFoldable(FoldingBox &box)
    {
        box.setTitle("Title");
        box.setCheckable(true);
        box.setChecked(true);
        box.resize(200, 150);
    }

    static int countRedPixels(const QImage &image)
    {
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                    ++red;
            }
        return red;
    }

private slots:
    void listRows()
    {
        HtmlListBox box;
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.itemText(0), QString());
        QStyleOptionViewItem option;
        QCOMPARE(box.delegate()->createEditor(&box, option, box.itemModel()->index(0, 0)), nullptr);
        box.clear();
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.currentRow(), -1);
        QCOMPARE(box.itemModel()->columnCount(), 1);
        box.addItem("first");
        QCOMPARE(box.itemText(0), QString("first"));

        HtmlListBox three(3);
        QCOMPARE(three.count(), 3);
        three.setItems({"a", "<b>b</b>"});
        QCOMPARE(three.count(), 2);
        QCOMPARE(three.itemText(1), QString("<b>b</b>"));
        three.setItemText(0, "z");
        QCOMPARE(three.itemText(0), QString("z"));
        three.addItem("c");
        QCOMPARE(three.count(), 3);
        QCOMPARE(three.itemText(2), QString("c"));
        three.setCurrentRow(2);
        QCOMPARE(three.currentRow(), 2);
    }

    void listHintFollowsWidth()
    {
        HtmlListBox box;
        box.resize(400, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.width(), 400);
        QCOMPARE(rowHint(box, 0), QSize(190, 20));
        box.resize(600, 200);
        QTRY_COMPARE(rowHint(box, 0), QSize(290, 20));
        // The viewport got the new size too: the base class handled the resize.
        QVERIFY(box.viewport()->width() > 400);
        box.setItemSize(100, 30);
        QCOMPARE(rowHint(box, 0), QSize(100, 30));
        // The text length plays no part.
        box.setItems({"short", QString(500, QChar('x'))});
        QCOMPARE(rowHint(box, 1), rowHint(box, 0));
    }

    void listShowsHtmlColours()
    {
        HtmlListBox box;
        box.resize(400, 100);
        box.setItems({"plain <font color=\"#ff0000\">RED RED RED</font> text"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage withMarkup = box.grab().toImage();
        box.setItemText(0, "plain RED RED RED text");
        const QImage withoutMarkup = box.grab().toImage();
        QVERIFY(countRedPixels(withMarkup) > 10);
        QCOMPARE(countRedPixels(withoutMarkup), 0);
    }

    void foldingFoldsAndRestores()
    {
        FoldingBox box;
        makeFoldable(box);
        QSignalSpy resized(&box, &FoldingBox::signal_resized);
        box.setFolded(false);
        QCOMPARE(box.height(), FoldingBox::foldedHeight());
        QCOMPARE(box.isChecked(), false);
        QCOMPARE(box.unfoldedHeight(), 150);
        box.setFolded(true);
        QCOMPARE(box.height(), 150);
        QCOMPARE(box.isChecked(), true);
        QCOMPARE(resized.count(), 2);
    }

    void foldingByClickOnTitleCheckBox()
    {
        FoldingBox box;
        makeFoldable(box);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QStyleOptionGroupBox option;
        option.initFrom(&box);
        option.subControls = QStyle::SC_GroupBoxCheckBox | QStyle::SC_GroupBoxLabel;
        option.text = box.title();
        option.features = QStyleOptionFrame::None;
        const QRect checkRect = box.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                            QStyle::SC_GroupBoxCheckBox, &box);
        QTest::mouseClick(&box, Qt::LeftButton, {}, checkRect.center());
        QCOMPARE(box.isChecked(), false);
        QCOMPARE(box.height(), FoldingBox::foldedHeight());
        QTest::mouseClick(&box, Qt::LeftButton, {}, checkRect.center());
        QCOMPARE(box.isChecked(), true);
        QCOMPARE(box.height(), 150);
    }

    void foldingDragSignal()
    {
        FoldingBox box;
        box.resize(200, 150);
        QSignalSpy drag(&box, &FoldingBox::signal_dragdrop);
        QTest::mousePress(&box, Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
        QTest::mouseRelease(&box, Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
        QCOMPARE(drag.count(), 0); // drag not enabled
        box.setDragEnabled(true);
        QTest::mousePress(&box, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier,
                          QPoint(50, 50));
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(drag.count(), 0); // not exactly Ctrl
        QTest::mousePress(&box, Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(drag.count(), 1);
    }

    void foldingRename()
    {
        FoldingBox box;
        box.setTitle("Old");
        box.resize(200, 150);
        answerDialog(true, "New title");
        QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(box.title(), QString("New title"));
        answerDialog(false);
        QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(box.title(), QString("New title"));
    }
};

QTEST_MAIN(TestFoldingHtml)
#include "tst_foldinghtml.moc"
