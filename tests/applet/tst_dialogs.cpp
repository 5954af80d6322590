// The check-box dialog, the progress window and a command's pause (a person's input waits), and
// the Qt dialogs behind the prompt interface, answered by a timer on the active modal dialog.
#include "commandpause.h"
#include "dialogcheckboxes.h"
#include "dialogprogressbar.h"
#include "heldinput.h"
#include "programtestmain.h"
#include "tablerows.h"
#include "whenmodal.h"
#include "widgetprompt.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>

static QPushButton *buttonWithText(QWidget *dialog, const QString &text)
{
    for (QPushButton *b : dialog->findChildren<QPushButton *>())
        if (b->text().remove('&') == text)
            return b;
    return nullptr;
}

static void clickButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>()->button(which)->click();
}

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Prompt::install(&prompt); }
    void cleanupTestCase() { Prompt::install(nullptr); }

    // An item's "=" part decides whether it starts checked; with single choice (radio buttons)
    // at most one stays checked, the first by default and otherwise the last "=1".
    void checkStates_data()
    {
        addRows<int, QStringList, QStringList>(
            {"single", "items", "checked"},
            {{1, {"a", "b"}, {"a"}},
             {1, {"a", "b=1"}, {"b"}},
             {1, {"a=0", "b"}, {}},
             {1, {"a=0", "b=1"}, {"b"}},
             {1, {"a=1", "b=1", "c=1"}, {"c"}},
             {0, {"Board=1", "Other=0", "x=x", "a=1=1", "=1"}, {"Board", ""}}});
    }

    void checkStates()
    {
        QFETCH(int, single);
        QFETCH(QStringList, items);
        QFETCH(QStringList, checked);
        DialogCheckBoxes dialog(single);
        dialog.addItems(items);
        QStringList chosen{"stale"};
        QCOMPARE(dialog.checkedItems(&chosen), int(checked.size()));
        QCOMPARE(chosen, checked);
        QCOMPARE(dialog.findChildren<QRadioButton *>().size(), single ? items.size() : 0);
        QCOMPARE(!buttonWithText(&dialog, "All On"), bool(single));
        auto *note = new QLabel("note"); // a widget added goes into the dialog's column
        dialog.addWidget(note);
        QVERIFY(dialog.layout()->indexOf(note) >= 0);
        for (QAbstractButton *b : dialog.findChildren<QAbstractButton *>()) // rows of 150x15
            QVERIFY(qobject_cast<QPushButton *>(b) || b->size() == QSize(150, 15));
    }

    void singleChoice_data()
    {
        addRows<int, int, bool, QString>({"current", "clickRow", "accept", "answer"},
                                         {{0, -1, true, "TO3/TO4"},
                                          {1, -1, true, "TO1/TO2"},
                                          {2, -1, true, "TO3/TO4"},
                                          {0, 1, true, "TO1/TO2"},
                                          {0, 1, false, "TO1/TO2"}});
    }

    void singleChoice()
    {
        QFETCH(int, current);
        QFETCH(int, clickRow);
        QFETCH(bool, accept);
        QFETCH(QString, answer);
        QString title;
        whenModal([&](QWidget *dialog) {
            title = dialog->windowTitle();
            if (clickRow >= 0)
                dialog->findChildren<QRadioButton *>().at(clickRow)->click();
            clickButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        });
        bool ok = !accept;
        QCOMPARE(prompt.getItem("Project type", QString(), {"TO3/TO4", "TO1/TO2"}, current, &ok),
                 answer);
        QCOMPARE(ok, accept);
        QCOMPARE(title, QString("Project type"));
    }

    // Several choices: "All On" and "All Off" set every box; the answer holds the checked
    // items as given, from the first row on.
    void multipleChoice()
    {
        const QStringList items{"Logs=1", "ToolA", "ToolB=1"};
        for (const QString button : {"All On", "All Off", ""}) {
            bool listPlaced = false; // above the buttons
            whenModal([&](QWidget *dialog) {
                const auto *list = dialog->findChild<QListWidget *>();
                listPlaced = list->height() > 0 && list->geometry().bottom() <
                                                       dialog->findChild<QDialogButtonBox *>()->y();
                if (!button.isEmpty())
                    buttonWithText(dialog, button)->click();
                clickButton(dialog, QDialogButtonBox::Ok);
            });
            bool ok = false;
            const QStringList expected = button == "All On"    ? items
                                         : button == "All Off" ? QStringList()
                                                               : QStringList{"Logs=1", "ToolB=1"};
            QCOMPARE(prompt.getChoices("Select windows", items, &ok), expected);
            QVERIFY(ok && listPlaced);
        }
    }

    void messageReturnsClickedButton()
    {
        QString texts;
        whenModal([&](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            texts = box->text() + "|" + box->informativeText() + "|" +
                    (box->defaultButton() == box->button(QMessageBox::Yes) ? "Yes" : "?");
            box->button(QMessageBox::No)->click();
        });
        Prompt::Message msg;
        msg.icon = Prompt::Question;
        msg.title = "KVL52110";
        msg.text = "Update now?";
        msg.informativeText = "It takes a minute.";
        msg.buttons = Prompt::Yes | Prompt::No;
        msg.defaultButton = Prompt::Yes;
        QCOMPARE(prompt.message(msg), int(Prompt::No));
        QCOMPARE(texts, QString("Update now?|It takes a minute.|Yes")); // Return answers Yes
    }

    // The progress window processes pending events with each change, so it repaints while its
    // caller keeps the thread busy. In paint-only mode it does so only until the window system
    // shows it; from then on it lays out and repaints itself and delivers nothing else.
    void progressWindowEvents()
    {
        DialogProgressBar dialog(nullptr);
        auto *text = dialog.findChildren<QLabel *>().value(0);
        int delivered = 0;
        const auto post = [&delivered]() {
            QMetaObject::invokeMethod(
                qApp, [&delivered]() { ++delivered; }, Qt::QueuedConnection);
        };
        post();
        dialog.setText("one");
        QCOMPARE(delivered, 1);
        dialog.setPaintOnly(true);
        post();
        dialog.setProgress(5, 100); // not shown yet
        QCOMPARE(delivered, 2);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        post();
        dialog.setText("two");
        dialog.setProgress(50, 100);
        QCOMPARE(delivered, 2);
        QCOMPARE(text->text(), QString("two"));
        QCOMPARE(dialog.value(), 50);
        // A longer text widens the window at once: its layout is applied without events and
        // the whole window is painted anew.
        PaintCounter paints;
        dialog.installEventFilter(&paints);
        dialog.setText(QString(60, 'w'));
        QVERIFY(dialog.width() >= text->sizeHint().width());
        QVERIFY(paints.painted.contains(dialog.rect()));
        paints.painted = QRect(); // a text that fits: only the text is painted anew
        PaintCounter textPaints;
        text->installEventFilter(&textPaints);
        dialog.setText("w");
        QVERIFY(!paints.painted.contains(dialog.rect()));
        QVERIFY(!textPaints.painted.isEmpty());
        QCOMPARE(delivered, 2);
        QCoreApplication::processEvents();
        QCOMPARE(delivered, 3);
    }

    // The progress window blocks no other window and takes no keyboard; a value beyond the old
    // maximum shows at once and one beyond the new maximum is held at it; the bar, the text,
    // the picture and a widget added show one under the other.
    void progressWindowValues()
    {
        QPixmap logo(16, 16);
        logo.fill(Qt::blue);
        DialogProgressBar dialog(nullptr, logo);
        dialog.setProgress(150, 200);
        QCOMPARE(dialog.value(), 150);
        dialog.setProgress(250, 200);
        QCOMPARE(dialog.value(), 200);
        auto *cancel = new QPushButton("Cancel");
        dialog.addWidget(cancel);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(dialog.windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
        auto *bar = dialog.findChild<QProgressBar *>();
        const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
        QCOMPARE(labels.size(), 2);
        QVERIFY(!labels.at(1)->pixmap().isNull() && labels.at(1)->isVisible());
        QCOMPARE(labels.at(1)->size(), QSize(200, 200)); // a small picture gets its room
        QVERIFY(bar->isVisible() && bar->y() < labels.at(0)->y());
        QVERIFY(labels.at(0)->y() < labels.at(1)->y() && labels.at(1)->y() < cancel->y());
    }

    // A person's key, click and shortcut that come while a command is busy (its progress window
    // repaints, it pauses) take effect once it is done, in the order they came; a box the command
    // opens later keeps them waiting until it closes, while a box that opens within the pause
    // takes the person's key at once.
    void personsInputWaitsForTheCommand()
    {
        QWidget window;
        auto *field = new QLineEdit(&window);
        auto *other = new QPushButton("other", &window);
        auto *button = new QPushButton("command", &window);
        other->move(0, 40);
        button->move(0, 80);
        button->setFocusPolicy(Qt::NoFocus); // the keys go on to the field
        auto *action = new QAction(&window);
        action->setShortcut(Qt::Key_F6);
        action->setShortcutContext(Qt::ApplicationShortcut);
        window.addAction(action);
        QStringList done;
        connect(field, &QLineEdit::textEdited, this, [&]() { done << "key"; });
        connect(other, &QPushButton::clicked, this, [&]() { done << "click"; });
        connect(action, &QAction::triggered, this, [&]() { done << "shortcut"; });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        QWindow *handle = window.windowHandle();
        bool boxTookKey = false, heldMeanwhile = false, heldBehindBox = false;
        connect(button, &QPushButton::clicked, this, [&]() {
            DialogProgressBar progress(&window);
            progress.show();
            QTimer::singleShot(0, this, [&]() {
                QTest::keyClick(handle, Qt::Key_X);
                // Where a window system gave the progress window the keyboard, its keys go on
                // to where the keyboard is once it has gone.
                QTest::keyClick(progress.windowHandle(), Qt::Key_Y);
            });
            progress.setProgress(1, 2);
            QTimer::singleShot(0, this, [&]() {
                QTest::mouseClick(handle, Qt::LeftButton, {}, other->geometry().center());
                QTest::keyClick(handle, Qt::Key_F6);
                QMessageBox question(QMessageBox::Question, "Link", "Go on?",
                                     QMessageBox::Ok | QMessageBox::Cancel, &window);
                QTimer::singleShot(
                    0, this, [&]() { QTest::keyClick(question.windowHandle(), Qt::Key_Escape); });
                QTimer::singleShot(30000, &question, &QDialog::accept); // safety net
                boxTookKey = question.exec() == QMessageBox::Cancel;
            });
            CommandPause::wait(200);
            heldMeanwhile = done.isEmpty() && HeldInput::waits();
            QDialog after(&window);
            QTimer::singleShot(0, this, [&]() {
                heldBehindBox = done.isEmpty();
                after.accept();
            });
            after.exec();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(boxTookKey && heldMeanwhile && heldBehindBox);
        QCOMPARE(done, QStringList({"key", "key", "click", "shortcut"}));
        QCOMPARE(field->text(), QString("xy"));
        QVERIFY(!HeldInput::waits());
    }

private:
    // Counts the paint events of the object it filters.
    struct PaintCounter : QObject {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted |= static_cast<QPaintEvent *>(event)->rect();
            return false;
        }
        QRect painted;
    };

    WidgetPrompt prompt;
};

KVL_PROGRAM_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
