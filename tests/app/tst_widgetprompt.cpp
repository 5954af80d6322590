// The Qt dialogs behind the prompt interface, answered by a timer on the active modal dialog.
#include "dialogcheckboxes.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace
{

// Runs act on the active modal dialog as soon as it is shown.
void whenModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start(10);
}

void clickButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>();
    QVERIFY(box);
    box->button(which)->click();
}

} // namespace

class TestWidgetPrompt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Prompt::install(&prompt); }
    void cleanupTestCase() { Prompt::install(nullptr); }

    void singleChoice_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("clickRow"); // -1 leaves the choice
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("answer");
        QTest::newRow("first kept") << 0 << -1 << true << QString("TO3/TO4");
        QTest::newRow("second current") << 1 << -1 << true << QString("TO1/TO2");
        QTest::newRow("current beyond the list") << 2 << -1 << true << QString("TO3/TO4");
        QTest::newRow("second chosen") << 0 << 1 << true << QString("TO1/TO2");
        QTest::newRow("chosen then cancelled") << 0 << 1 << false << QString("TO1/TO2");
    }

    void singleChoice()
    {
        QFETCH(int, current);
        QFETCH(int, clickRow);
        QFETCH(bool, accept);
        QFETCH(QString, answer);
        QString title;
        int radios = 0;
        whenModal([&](QWidget *dialog) {
            QVERIFY(qobject_cast<DialogCheckBoxes *>(dialog));
            title = dialog->windowTitle();
            const QList<QRadioButton *> buttons = dialog->findChildren<QRadioButton *>();
            radios = int(buttons.size());
            if (clickRow >= 0)
                buttons.at(clickRow)->click();
            clickButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        });
        bool ok = !accept;
        const QString chosen =
            prompt.getItem("Project type", QString(), {"TO3/TO4", "TO1/TO2"}, current, &ok);
        QCOMPARE(chosen, answer);
        QCOMPARE(ok, accept);
        QCOMPARE(title, QString("Project type"));
        QCOMPARE(radios, 2);
    }

    void choiceWithEqualsSignUsesInputDialog()
    {
        bool inputDialog = false;
        whenModal([&](QWidget *dialog) {
            inputDialog = qobject_cast<QInputDialog *>(dialog) != nullptr;
            clickButton(dialog, QDialogButtonBox::Ok);
        });
        bool ok = false;
        QCOMPARE(prompt.getItem("Pick", QString(), {"a=1", "b=2"}, 1, &ok), QString("b=2"));
        QVERIFY(ok);
        QVERIFY(inputDialog);
    }

    void messageReturnsClickedButton()
    {
        QString text;
        whenModal([&](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QVERIFY(box);
            text = box->text();
            box->button(QMessageBox::No)->click();
        });
        const int answer = Prompt::ask(Prompt::Question, "KVL52110", "Update now?",
                                       Prompt::Yes | Prompt::No, Prompt::Yes);
        QCOMPARE(answer, int(Prompt::No));
        QCOMPARE(text, QString("Update now?"));
    }

    void integerInput_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ok");
        QTest::newRow("accepted") << 12 << true << 12 << true;
        QTest::newRow("lowest") << -1 << true << -1 << true;
        QTest::newRow("above the range") << 40 << true << 31 << true;
        QTest::newRow("cancelled") << 12 << false << 0 << false;
    }

    void integerInput()
    {
        QFETCH(int, typed);
        QFETCH(bool, accept);
        QFETCH(int, answer);
        QFETCH(bool, ok);
        QString seen;
        whenModal([&](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            seen = QStringLiteral("%1|%2|%3|%4|%5|%6")
                       .arg(input->windowTitle(), input->labelText())
                       .arg(input->intValue())
                       .arg(input->intMinimum())
                       .arg(input->intMaximum())
                       .arg(input->intStep());
            input->setIntValue(typed);
            clickButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        });
        bool accepted = !ok;
        QCOMPARE(Prompt::integer("Auto addressing", "Address:", 0, -1, 31, 1, &accepted), answer);
        QCOMPARE(accepted, ok);
        QCOMPARE(seen, QString("Auto addressing|Address:|0|-1|31|1"));
    }

private:
    WidgetPrompt prompt;
};

QTEST_MAIN(TestWidgetPrompt)
#include "tst_widgetprompt.moc"
