// The shell's Qt dialogs behind the prompt interface, answered on the active modal dialog: a
// single choice is answered with the checked radio button, also when cancelled; names holding
// "=" or a question with a label take Qt's input dialog instead.
#include "whenmodal.h"
#include "widgetprompt.h"
#include "windowtitles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <QtTest>

class TestWidgetPrompt : public QObject
{
    Q_OBJECT

private slots:
    // clickRow -1 leaves the current item checked; without a current row among the items the
    // dialog's own first choice stands.
    void singleChoice_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("clickRow");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("answer");
        QTest::newRow("current kept") << 2 << -1 << true << "Gamma";
        QTest::newRow("other clicked") << 0 << 1 << true << "Beta";
        QTest::newRow("cancelled") << 0 << 2 << false << "Gamma";
        QTest::newRow("none current") << -1 << 1 << true << "Beta";
        QTest::newRow("current past the end") << 3 << 1 << true << "Beta";
    }

    void singleChoice()
    {
        QFETCH(int, current);
        QFETCH(int, clickRow);
        QFETCH(bool, accept);
        QFETCH(QString, answer);
        QStringList shown;
        QString title;
        whenModal([&](QWidget *dialog) {
            title = dialog->windowTitle();
            const QList<QRadioButton *> buttons = dialog->findChildren<QRadioButton *>();
            for (QRadioButton *b : buttons)
                shown << b->text() + (b->isChecked() ? "*" : "");
            if (clickRow >= 0)
                buttons.at(clickRow)->click();
            dialog->findChild<QDialogButtonBox *>()
                ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        });
        bool ok = !accept;
        QCOMPARE(prompt.getItem("Pick", QString(), {"Alpha", "Beta", "Gamma"}, current, &ok),
                 answer);
        QCOMPARE(ok, accept);
        QCOMPARE(title, QString("Pick"));
        QStringList expected{"Alpha", "Beta", "Gamma"};
        expected[current >= 0 && current < expected.size() ? current : 0] += "*";
        QCOMPARE(shown, expected);
    }

    // The radio dialog would read "a=1" as a checked "a": such names, and a question with a
    // label, are listed as given in Qt's input dialog.
    void inputDialogItems_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("names with =") << QString() << QStringList{"a=1", "b=0"};
        QTest::newRow("labelled") << "Which one?" << QStringList{"Alpha", "Beta"};
    }

    void inputDialogItems()
    {
        QFETCH(QString, label);
        QFETCH(QStringList, items);
        QStringList listed;
        whenModal([&](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            auto *combo = input->findChild<QComboBox *>();
            QVERIFY(!combo->isEditable()); // only a listed item can be the answer
            for (int i = 0; i < combo->count(); ++i)
                listed << combo->itemText(i);
            combo->setCurrentIndex(1);
            input->accept();
        });
        bool ok = false;
        QCOMPARE(prompt.getItem("Pick", label, items, 0, &ok), items.at(1));
        QVERIFY(ok);
        QCOMPARE(listed, items);
    }

    // Several choices: a check box for each item, and the checked ones are the answer.
    void severalChoices()
    {
        whenModal([](QWidget *dialog) {
            const QList<QCheckBox *> boxes = dialog->findChildren<QCheckBox *>();
            QCOMPARE(boxes.size(), 3);
            boxes.at(0)->click();
            boxes.at(2)->click();
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        bool ok = false;
        QCOMPARE(prompt.getChoices("Pick", {"Alpha", "Beta", "Gamma"}, &ok),
                 (QStringList{"Alpha", "Gamma"}));
        QVERIFY(ok);
    }

    // A message shows its informative text, and Return answers its default button.
    void messageAnswersItsDefault()
    {
        QString informative;
        whenModal([&informative](QWidget *dialog) {
            if (auto *box = qobject_cast<QMessageBox *>(dialog))
                informative = box->informativeText();
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        Prompt::Message msg;
        msg.icon = Prompt::Question;
        msg.title = "Save";
        msg.text = "Save the changes?";
        msg.informativeText = "They are lost otherwise.";
        msg.buttons = Prompt::Yes | Prompt::No;
        msg.defaultButton = Prompt::No;
        QCOMPARE(prompt.message(msg), int(Prompt::No));
        QCOMPARE(informative, msg.informativeText);
    }

    // A message that asks for rich text shows both its texts so (plain text is the default).
    void richTextWhenAsked()
    {
        QList<Qt::TextFormat> formats;
        whenModal([&formats](QWidget *dialog) {
            for (QLabel *label : dialog->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    formats << label->textFormat();
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        Prompt::Message msg;
        msg.text = "<b>Text</b>";
        msg.informativeText = "<i>More</i>";
        msg.richText = true;
        prompt.message(msg);
        QCOMPARE(formats, QList<Qt::TextFormat>(2, Qt::RichText));
    }

    // Replacing a file that exists is asked in a box of the program's own, which shows the
    // file's name as it is; No opens the file dialog again, Yes gives the name.
    void saveOverAFile()
    {
        const QString file = "<img src=&#47;dev&#47;zero>.txt";
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QStringList asked;
        int dialogs = 0;
        std::function<void(QWidget *)> answer = [&](QWidget *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                ++dialogs;
                files->selectFile(file);
                whenModal(answer);
                static_cast<QDialog *>(files)->accept(); // as its Save button does
            } else if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
                asked << box->text() + (box->textFormat() == Qt::PlainText ? "" : " (!)");
                if (asked.size() == 1)
                    whenModal(answer);
                box->button(asked.size() == 1 ? QMessageBox::No : QMessageBox::Yes)->click();
            }
        };
        whenModal(answer);
        QCOMPARE(prompt.saveFileName("Save", QDir::currentPath(), "Text (*.txt)"),
                 QDir::current().absoluteFilePath(file));
        QCOMPARE(dialogs, 2);
        QCOMPARE(asked, QStringList(2, file + " already exists.\nDo you want to replace it?"));
    }

    // A notice opens a box that does not wait, with its informative text; the same notice
    // again opens no second box, another text under the same title does; a critical one none.
    void noticeShowsItsText()
    {
        Prompt::Message msg;
        msg.title = "Notice";
        msg.text = "Done.";
        msg.informativeText = "All three written.";
        prompt.notify(msg);
        prompt.notify(msg);
        QList<QMessageBox *> boxes = noticeBoxes(msg.title);
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first()->isVisible() && !boxes.first()->isModal());
        QCOMPARE(boxes.first()->informativeText(), msg.informativeText);
        msg.text = "Done again.";
        prompt.notify(msg);
        boxes = noticeBoxes(msg.title);
        QCOMPARE(boxes.size(), 2);
        for (QMessageBox *box : boxes)
            box->close();
        // A critical one is an error in the log, shown in the main window's bar: no box.
        msg.icon = Prompt::Critical;
        prompt.notify(msg);
        for (const QMessageBox *box : noticeBoxes(msg.title))
            QVERIFY(!box->isVisible());
        // With a target that shows it (the main window's bar), a notice opens no box; where the
        // target cannot, it opens one.
        QStringList shown;
        bool canShow = true;
        prompt.setNoticeTarget([&](const QString &text) { return canShow && (shown << text, true); });
        msg.icon = Prompt::Warning;
        prompt.notify(msg);
        QCOMPARE(shown, QStringList("Notice: Done again.\nAll three written."));
        const auto shownBoxes = [&msg]() {
            const QList<QMessageBox *> boxes = noticeBoxes(msg.title);
            return std::count_if(boxes.cbegin(), boxes.cend(),
                                 [](const QMessageBox *box) { return box->isVisible(); });
        };
        QCOMPARE(shownBoxes(), 0);
        canShow = false;
        prompt.notify(msg);
        QCOMPARE(shownBoxes(), 1);
        for (QMessageBox *box : noticeBoxes(msg.title))
            box->close();
        prompt.setNoticeTarget(nullptr);
    }

    // A program of another name shows it in its windows' titles as the window system shows
    // them, the name alone for a box without a title; the boxes keep their own titles, a title
    // that starts with the name stays, and the default program's titles are left as they are.
    void namedProgramsTitles()
    {
        WindowTitles titles;
        titles.setProgramName("second");
        Prompt::Message msg;
        msg.title = "Error";
        msg.text = "Of the second program.";
        prompt.notify(msg);
        QMessageBox *box = noticeBoxes(msg.title).value(0);
        QVERIFY(box && box->windowHandle());
        QCOMPARE(box->windowHandle()->title(), QString("second - Error"));
        QCOMPARE(box->windowTitle(), QString("Error"));
        const QStringList shown{"", "second - velmora", "HELP:(Ctrl+7) KVL52110"};
        const QStringList expected{"second", "second - velmora", "second - HELP:(Ctrl+7) KVL52110"};
        for (qsizetype i = 0; i < shown.size(); ++i) {
            box->setWindowTitle(shown.at(i));
            QCOMPARE(box->windowHandle()->title(), expected.at(i));
        }
        titles.setProgramName(QString()); // the default program's
        QCOMPARE(box->windowHandle()->title(), QString("HELP:(Ctrl+7) KVL52110"));
        box->close();
    }

private:
    static QList<QMessageBox *> noticeBoxes(const QString &title)
    {
        QList<QMessageBox *> boxes;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<QMessageBox *>(w); b && b->windowTitle() == title)
                boxes << b;
        return boxes;
    }

    WidgetPrompt prompt;
};

QTEST_MAIN(TestWidgetPrompt)
#include "tst_widgetprompt.moc"
