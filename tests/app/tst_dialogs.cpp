#include "dialogcheckboxes.h"
#include "dialogprogressbar.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace
{

QPushButton *buttonWithText(QWidget *dialog, const QString &text)
{
    for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
        if (b->text().remove(QLatin1Char('&')) == text)
            return b;
    }
    return nullptr;
}

QAbstractButton *choice(QWidget *dialog, const QString &text)
{
    for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>()) {
        if ((qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b)) && b->text() == text)
            return b;
    }
    return nullptr;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void singleChoice()
    {
        DialogCheckBoxes dialog(1);
        dialog.addItems({QStringLiteral("TO3/TO4"), QStringLiteral("TO1/TO2")});
        QVERIFY(!buttonWithText(&dialog, QStringLiteral("All On")));
        QVERIFY(!buttonWithText(&dialog, QStringLiteral("All Off")));
        QAbstractButton *first = choice(&dialog, QStringLiteral("TO3/TO4"));
        QAbstractButton *second = choice(&dialog, QStringLiteral("TO1/TO2"));
        QVERIFY(qobject_cast<QRadioButton *>(first) && qobject_cast<QRadioButton *>(second));
        QVERIFY(first->isChecked());
        QVERIFY(!second->isChecked());
        QStringList chosen;
        QCOMPARE(dialog.checkedItems(&chosen), 1);
        QCOMPARE(chosen, QStringList{"TO3/TO4"});

        second->click();
        QVERIFY(!first->isChecked());
        QCOMPARE(dialog.checkedItems(&chosen), 1);
        QCOMPARE(chosen, QStringList{"TO1/TO2"});
    }

    // An item's "=" part decides the radio buttons too, and at most one of them stays checked.
    void singleChoiceCheckStates_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("first checked by default") << QStringList{"a", "b"} << QStringList{"a"};
        QTest::newRow("second =1 takes over") << QStringList{"a", "b=1"} << QStringList{"b"};
        QTest::newRow("first =0 unchecks") << QStringList{"a=0", "b"} << QStringList{};
        QTest::newRow("first =0, second =1") << QStringList{"a=0", "b=1"} << QStringList{"b"};
        QTest::newRow("two =1: the last wins")
            << QStringList{"a=1", "b=1", "c=1"} << QStringList{"c"};
    }

    void singleChoiceCheckStates()
    {
        QFETCH(QStringList, items);
        QFETCH(QStringList, checked);
        DialogCheckBoxes dialog(1);
        dialog.addItems(items);
        QStringList chosen;
        QCOMPARE(dialog.checkedItems(&chosen), int(checked.size()));
        QCOMPARE(chosen, checked);
    }

    void itemCheckStates_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("checked");
        QTest::newRow("name=1") << QString("Board=1") << QString("Board") << true;
        QTest::newRow("name=0") << QString("Board=0") << QString("Board") << false;
        QTest::newRow("name=x") << QString("Board=x") << QString("Board") << false;
        QTest::newRow("two =") << QString("a=1=1") << QString("a") << false;
        QTest::newRow("empty name") << QString("=1") << QString("") << true;
    }

    void itemCheckStates()
    {
        QFETCH(QString, item);
        QFETCH(QString, text);
        QFETCH(bool, checked);
        DialogCheckBoxes dialog(0);
        dialog.addItems({item});
        QAbstractButton *button = choice(&dialog, text);
        QVERIFY(qobject_cast<QCheckBox *>(button));
        QCOMPARE(button->isChecked(), checked);
    }

    // checkedItems empties its output, checkedIndexes appends to it.
    void allOnAllOff()
    {
        DialogCheckBoxes dialog(0);
        dialog.addItems(
            {QStringLiteral("SpiRaw"), QStringLiteral("Board=1"), QStringLiteral("Otp")});
        QStringList chosen{QStringLiteral("stale")};
        QCOMPARE(dialog.checkedItems(&chosen), 1);
        QCOMPARE(chosen, QStringList{"Board"});
        QList<int> rows{99};
        QCOMPARE(dialog.checkedIndexes(&rows), 2); // the rows held afterwards
        QCOMPARE(rows, (QList<int>{99, 1}));
        QPushButton *allOn = buttonWithText(&dialog, QStringLiteral("All On"));
        QPushButton *allOff = buttonWithText(&dialog, QStringLiteral("All Off"));
        QVERIFY(allOn && allOff);
        allOn->click();
        QCOMPARE(dialog.checkedItems(&chosen), 3);
        QCOMPARE(chosen, (QStringList{"SpiRaw", "Board", "Otp"}));
        allOff->click();
        QCOMPARE(dialog.checkedItems(&chosen), 0);
        QVERIFY(chosen.isEmpty());
    }

    void execAnswers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << QString("OK") << int(QDialog::Accepted);
        QTest::newRow("Cancel") << QString("Cancel") << int(QDialog::Rejected);
    }

    void execAnswers()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        DialogCheckBoxes dialog(0);
        dialog.addItems({QStringLiteral("a")});
        QTimer::singleShot(0, &dialog, [&]() {
            choice(&dialog, QStringLiteral("a"))->click();
            if (QPushButton *b = buttonWithText(&dialog, button))
                b->click();
            else
                dialog.done(-1);
        });
        QCOMPARE(dialog.exec(), result);
        // The check states stay as the user left them, whatever the answer.
        QStringList chosen;
        QCOMPARE(dialog.checkedItems(&chosen), 1);
    }

    void progressSetsMaximumFirst_data()
    {
        QTest::addColumn<QList<int>>("calls"); // value, maximum pairs
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("maximum");
        QTest::newRow("beyond the old range") << QList<int>{150, 200} << 150 << 200;
        QTest::newRow("above the maximum clamps") << QList<int>{250, 200} << 200 << 200;
        QTest::newRow("below zero clamps") << QList<int>{-3, 100} << 0 << 100;
        QTest::newRow("shrinking range") << QList<int>{90, 100, 5, 4} << 4 << 4;
    }

    void progressSetsMaximumFirst()
    {
        QFETCH(QList<int>, calls);
        QFETCH(int, value);
        QFETCH(int, maximum);
        DialogProgressBar dialog;
        for (int i = 0; i + 1 < calls.size(); i += 2)
            dialog.setProgress(calls.at(i), calls.at(i + 1));
        QCOMPARE(dialog.value(), value);
        QCOMPARE(dialog.findChild<QProgressBar *>()->maximum(), maximum);
    }

    void progressProcessesEvents()
    {
        DialogProgressBar dialog;
        int ran = 0;
        const auto queue = [&]() {
            QMetaObject::invokeMethod(
                &dialog, [&]() { ++ran; }, Qt::QueuedConnection);
        };
        queue();
        dialog.setProgress(10, 100);
        QCOMPARE(ran, 1);
        queue();
        dialog.setText(QStringLiteral("Initializing ..."));
        QCOMPARE(ran, 2);
        bool shown = false;
        for (QLabel *label : dialog.findChildren<QLabel *>())
            shown = shown || label->text() == QLatin1String("Initializing ...");
        QVERIFY(shown);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
