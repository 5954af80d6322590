// The applet console driven through its widgets on an applet with two registers, three
// variables, bound widgets and functions of every result type.
#include "applet.h"
#include "applethelper.h"
#include "checkbox.h"
#include "dialogcheckboxes.h"
#include "keyboardfocus.h"
#include "layoutcheck.h"
#include "lineedit.h"
#include "logrecorder.h"
#include "realedit.h"
#include "recordingprompt.h"
#include "register.h"
#include "tablerows.h"
#include "testfiles.h"
#include "variable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

// BANK (4 bits: SW1, SW2, LEVEL[2]), CTRL (8 bits, read-only), the variables SA (0..31), LOCK
// (read-only) and BIG, widgets bound to BANK[SW1] and BANK[], and one function per result type.
class HelperApplet : public Applet
{
public:
    HelperApplet()
        : bank("SW1#Switch one;SW2#Switch two;LEVEL[2]#Level", "BANK"),
          ctrl("EN#Enable;MODE[7]#Mode", "CTRL"),
          sa("@variable=SA@value=1@min=0@max=31@descr=Start address"),
          lock("@variable=LOCK@value=2@readonly@descr=Locked"),
          big("@variable=BIG@value=0@min=0@max=1000000000@descr=Large")
    {
        setObjectName("HelperApplet");
        setWindowTitle("Helper tool");
        bank.bitAt(0)->setDescription("Switch one; off; on"); // holds the definition separator
        ctrl.setReadOnly(true);
        cbSw1 = new CustomControls::CheckBox(this);
        cbSw1->setAccessibleName("BANK[SW1]");
        leBank = new CustomControls::LineEdit(this);
        leBank->setAccessibleName("BANK[]");
    }
    bool init() override
    {
        return addRegister(&bank, 4) && addRegister(&ctrl, 8) && addVariable(&sa) &&
               addVariable(&lock) && addVariable(&big);
    }
    QVariant run(const QString &command, const QVariant &args) override
    {
        const QVariantMap results{{"Bytes", QByteArray("\x01\xab\x00", 3)},
                                  {"Count", 42},
                                  {"Flag", true},
                                  {"Nothing", QVariant()},
                                  {"Real", 4700.0},
                                  {"Text", "echo:" + args.toString()},
                                  {"Unsigned", 7u}};
        for (auto it = results.begin(); it != results.end(); ++it)
            functions.insert(it.key(), "Returns " + it.key());
        commands.append(command + "(" + args.toString() + ")");
        return results.value(command);
    }
    bool updateItem(int mode, const QString &name) override
    {
        hookCalls.append(QStringLiteral("%1:%2").arg(mode).arg(name));
        return true;
    }

    using Applet::isWriteByName;
    Register bank, ctrl;
    Variable sa, lock, big;
    CustomControls::CheckBox *cbSw1;
    CustomControls::LineEdit *leBank;
    QStringList commands, hookCalls;
};

// Checks the named rows of the next check-box dialog and accepts it (or cancels it).
static void answerCheckBoxDialog(const QStringList &checked, bool accept = true)
{
    QTimer::singleShot(0, [=]() {
        auto *dialog = qobject_cast<DialogCheckBoxes *>(QApplication::activeModalWidget());
        if (!dialog)
            return answerCheckBoxDialog(checked, accept); // not shown yet
        QCOMPARE(dialog->windowTitle(), QString("REGISTER"));
        for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
            box->setChecked(checked.contains(box->text()));
        accept ? dialog->accept() : dialog->reject();
    });
}

static QString comboItems(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items.join("|");
}

class TestAppletHelper : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        for (const QString &file : QDir().entryList({"*.101*"}, QDir::Files))
            QDir().remove(file); // the register files of an earlier test
        prompt = std::make_unique<RecordingPrompt>();
        applet = std::make_unique<HelperApplet>();
        QVERIFY(applet->setup());
        applet->activate(); // model changes reach the hook
        console = std::make_unique<AppletHelper>(applet.get(), "HELP:Helper tool");
        console->describeApplet("functions+nodes");
    }

    void cleanup()
    {
        console.reset();
        applet.reset();
        prompt.reset();
    }

    void itemsAndFunctionsAreListed()
    {
        QCOMPARE(comboItems(console->itemCombo()),
                 QString("BANK[SW1]|BANK[SW2]|BANK[LEVEL]|BANK[]|BIG|CTRL[EN]|CTRL[MODE]|CTRL[]|"
                         "LOCK|SA"));
        applet->bank.setValue(0b1101); // SW1 1, SW2 0, LEVEL 3
        applet->big.setValue(1234567.0, Variable::InternalKey);
        console->describeApplet("nodes");
        const QString text = console->itemView()->toPlainText();
        QCOMPARE(text.split('\n').mid(0, 7),
                 (QStringList{"REG  BANK[3..0]", "{0 }  SW1 = 1", "Switch one; off; on",
                              "{1 }  SW2 = 0", "Switch two", "{2:3 }  LEVEL[2] = 3", "Level"}));
        QVERIFY(text.split('\n').value(9).startsWith("VARIABLE  BIG")); // no row after the last
        QVERIFY(text.contains("=1.23457e+06"));                         // six significant digits
        QVERIFY(text.indexOf("LOCK") < text.indexOf("VARIABLE  SA"));

        QCOMPARE(comboItems(console->functionCombo()),
                 QString("Bytes|Count|Flag|Nothing|Real|Text|Unsigned"));
        QCOMPARE(applet->commands.value(0), QString("(0)")); // the empty command fills the table
        const QString functions = console->functionView()->toPlainText();
        QVERIFY(functions.contains("FUNCTION Bytes\nReturns Bytes"));
        QVERIFY(functions.indexOf("FUNCTION Real") < functions.indexOf("FUNCTION Text"));
        // Both lists only show: typing changes neither.
        QTest::keyClicks(console->itemView(), "typed");
        QTest::keyClicks(console->functionView(), "typed");
        QCOMPARE(console->itemView()->toPlainText() + console->functionView()->toPlainText(),
                 text + functions);
    }

    // button: Set (value 3 where none is given), Get, Fill 0 or Fill 1. check: the item read back
    // with the internal key; hook: the board access asked for; refused: the error of a Set
    // whose number does not fit the item (a register's bits are not wrapped).
    void itemButtons_data()
    {
        addRows<QString, QString, QString, QString, double, QString, QString>(
            {"button", "item", "value", "check", "expected", "hook", "refused"},
            {{"Set", "BANK[LEVEL]", "3", "BANK[]", 12.0, "0:BANK", ""},
             {"Set", "BANK[LEVEL]", "7", "BANK[]", 0.0, "",
              "BANK[LEVEL] takes a whole number from 0 to 3"},
             {"Set", "SA", "zz", "SA", 1.0, "", ""},
             {"Set", "BANK[]", "0xA", "BANK[]", 10.0, "0:BANK", ""},
             {"Set", "SA", "40", "SA", 1.0, "", ""},
             {"Set", "LOCK", "7", "LOCK", 7.0, "0:LOCK", ""},
             {"Set", "NONE", "5", "SA", 1.0, "", ""},
             {"Get", "BANK[LEVEL]", "0", "BANK[]", 3.0, "1:BANK", ""},
             {"Get", "NONE", "9", "SA", 9.0, "", ""},
             {"Fill 1", "BANK[SW1]", "", "BANK[]", 15.0, "0:BANK", ""},
             {"Fill 0", "BANK[]", "", "BANK[]", 0.0, "0:BANK", ""},
             {"Fill 1", "CTRL[EN]", "", "CTRL[]", 255.0, "0:CTRL", ""},
             {"Fill 1", "BIG", "", "BIG", 268435455.0, "0:BIG", ""},
             {"Fill 0", "LOCK", "", "LOCK", 0.0, "0:LOCK", ""},
             {"Fill 1", "NONE[X]", "", "SA", 1.0, "", ""}});
    }

    void itemButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, item);
        QFETCH(QString, value);
        QFETCH(QString, check);
        QFETCH(double, expected);
        QFETCH(QString, hook);
        QFETCH(QString, refused);
        applet->bank.setValue(button == "Get" ? 0b1101 : button == "Set" ? 0 : 0b0110);
        applet->hookCalls.clear();
        console->itemCombo()->setEditText(item);
        console->valueEdit()->setText(value);
        LogRecorder log(applet.get());
        console->button(button)->click();
        using Entries = QList<QPair<int, QString>>;
        const Entries errors = refused.isEmpty() ? Entries() : Entries{{-1, "Set: " + refused}};
        QCOMPARE(log.entries(), errors);
        QCOMPARE(applet->hookCalls, hook.isEmpty() ? QStringList() : QStringList{hook});
        if (button == "Get") // the value shown; a name not bound changes nothing
            QCOMPARE(console->valueEdit()->value(), expected);
        else
            QCOMPARE(applet->get(check, Variable::InternalKey).toDouble(), expected);
        QCOMPARE(console->itemCombo()->currentText(), item);
        // Set and Fill leave the descriptions showing what they wrote; the bound widgets follow.
        if (button != "Get" && !hook.isEmpty()) {
            const QString shown = console->itemView()->toHtml();
            console->describeApplet("nodes");
            QCOMPARE(console->itemView()->toHtml(), shown);
        }
        if (button.startsWith("Fill") && item.startsWith("BANK")) {
            QCOMPARE(applet->leBank->text(), QString::number(int(expected)));
            QVERIFY(console->itemView()->toPlainText().contains(expected ? "SW1 = 1" : "SW1 = 0"));
        }
    }

    // A function runs with the raw argument text; its result shows in the edit of its type.
    void runShowsTheResultByType()
    {
        const QStringList cases = {
            "Real=real:4700", "Bytes=text:01ab00", "Count=int:42",         "Flag=int:1",
            "Unsigned=int:7", "Nothing=text:",     "Text=text:echo:0x12 a"};
        QVERIFY(console->intResultEdit()->isHidden() && console->realResultEdit()->isHidden() &&
                !console->textResultEdit()->isHidden()); // before any run, the text field
        for (const QString &c : cases) {
            const QString function = c.section('=', 0, 0),
                          shown = c.section('=', 1).section(':', 0, 0);
            console->textResultEdit()->setText("old");
            console->functionCombo()->setEditText(function);
            console->argumentEdit()->setText("0x12 a");
            console->button("Run")->click();
            QCOMPARE(applet->commands.last(), function + "(0x12 a)");
            QCOMPARE(!console->textResultEdit()->isHidden(), shown == "text");
            QCOMPARE(!console->intResultEdit()->isHidden(), shown == "int");
            QCOMPARE(!console->realResultEdit()->isHidden(), shown == "real");
            QCOMPARE(shown == "real"  ? QString::number(console->realResultEdit()->value())
                     : shown == "int" ? console->intResultEdit()->text()
                                      : console->textResultEdit()->text(),
                     c.section(':', 1));
        }
        console->describeApplet("functions"); // listed anew, the chosen function stays
        QCOMPARE(console->functionCombo()->currentText(), QString("Text"));
    }

    void exportAndImportRegisterFiles()
    {
        applet->bank.setValue(0b0101);
        applet->ctrl.setValue(0x81);
        prompt->queueFile("regs.101");
        answerCheckBoxDialog({"BANK", "CTRL", "SA"});
        console->button("Export")->click();
        QCOMPARE(prompt->fileDialogs(), QStringList{"Save file|Files (*.101)"});
        QCOMPARE(TestFiles::read("regs.101.HelperApplet"),
                 QByteArray("BANK::1010\nCTRL::10000001\n"));
        QCOMPARE(comboItems(console->configurationCombo()), QString("|regs.101.HelperApplet"));
        AppletHelper later(applet.get(), "HELP:Helper tool"); // lists the files already there
        QCOMPARE(comboItems(later.configurationCombo()), QString("|regs.101.HelperApplet"));
        applet->bank.setValue(0);
        applet->ctrl.setValue(0);
        // The applied registers act on the page as a Set does: its widgets change as written.
        QList<bool> byName;
        const auto watch = connect(applet->leBank, &QLineEdit::textChanged, applet.get(),
                                   [&]() { byName.append(applet->isWriteByName()); });
        QVERIFY(console->applyRegisterFile("regs.101.HelperApplet"));
        disconnect(watch);
        QCOMPARE(byName, QList<bool>{true});
        QCOMPARE(applet->bank.value(), 0b0101u);
        QCOMPARE(applet->ctrl.value(), 0x81u);
        applet->deactivate(); // offline the widgets and the list show what was applied as well
        applet->bank.setValue(0);
        applet->slot_updateAllControls();
        console->describeApplet("nodes");
        QVERIFY(console->applyRegisterFile("regs.101.HelperApplet"));
        QCOMPARE(applet->leBank->value(), 5.0);
        QVERIFY(console->itemView()->toPlainText().contains("SW1 = 1"));
        applet->activate();

        // A cancelled choice writes an empty file; a file that cannot be written is reported.
        prompt->queueFile("none.101");
        answerCheckBoxDialog({}, false);
        console->button("Export")->click();
        QCOMPARE(TestFiles::read("none.101.HelperApplet"), QByteArray());
        LogRecorder log(applet.get());
        prompt->queueFile("missing-dir/regs.101");
        answerCheckBoxDialog({"BANK"});
        console->button("Export")->click();
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(log.entries().value(0).first, -1);
        QVERIFY(log.entries().value(0).second.contains("missing-dir/regs.101.HelperApplet"));

        // With the test answer switch nothing is asked: no choice, and the file dialog cancels.
        qputenv("KVL_PROMPT_DEFAULTS", "1");
        QObject guard;
        bool shown = false;
        QTimer::singleShot(500, &guard, [&shown]() { // a dialog shown anyway is closed
            if (QWidget *modal = QApplication::activeModalWidget())
                shown = true, modal->close();
        });
        console->button("Export")->click();
        qunsetenv("KVL_PROMPT_DEFAULTS");
        QVERIFY(!shown);
        QCOMPARE(QDir().entryList({"*.HelperApplet"}, QDir::Files).size(), 2);

        // "Import" asks for a file and applies it.
        QVERIFY(TestFiles::write("x.101", "BANK::0011\n"));
        prompt->queueFile("x.101");
        console->button("Import")->click();
        QCOMPARE(applet->bank.value(), 0b1100u);
        QVERIFY(!console->applyRegisterFile(QString()));
        QVERIFY(!console->applyRegisterFile("absent.101"));
        QVERIFY(::mkfifo("fifo.101", 0600) == 0); // nobody writes it: not waited for
        QVERIFY(!console->applyRegisterFile("fifo.101"));
        QCOMPARE(log.texts().last(),
                 QString("Register file not loaded: fifo.101 is not a regular file"));
        AppletHelper orphan(nullptr, "HELP:"); // a console without its applet applies nothing
        QVERIFY(!orphan.applyRegisterFile("x.101"));
    }

    void importSkipsMalformedLines_data()
    {
        const QString digits = "digits other than 0 and 1";
        addRows<QByteArray, QString>({"line", "reason"}, {{"BANK=1111", "not NAME::BITS"},
                                                          {"BANK::11::11", "not NAME::BITS"},
                                                          {"BANK::1211", digits},
                                                          {"BANK::11", "2 digits for 4 bits"},
                                                          {"BANK::11111", "5 digits for 4 bits"},
                                                          {"BANK::11\r11", digits}});
    }

    void importSkipsMalformedLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, reason);
        applet->bank.setValue(0b0110);
        applet->ctrl.setValue(0);
        applet->hookCalls.clear();
        LogRecorder log(applet.get());
        // Read-only registers load too, a CR before the LF is no digit, variables and names not
        // bound are ignored, and so is what follows the first zero byte.
        QVERIFY(TestFiles::write("bad.101", "CTRL::11000000\r\nSA::11111\nOTHER::1\n\n" + line +
                                                "\nLAST\n" + QByteArray(1, '\0') + "CTRL::1\n"));
        QVERIFY(console->applyRegisterFile("bad.101"));
        QCOMPARE(applet->hookCalls.join(" "), QString("0:BANK 0:SA 0:BIG")); // every writable item
        QCOMPARE(applet->bank.value(), 0b0110u); // untouched, not partly written
        QCOMPARE(applet->ctrl.value(), 0x03u);   // the good line still applies
        QCOMPARE(applet->sa.value(), 1.0);
        const QString problem = reason.startsWith("not") ? reason : "BANK: " + reason;
        QCOMPARE(log.texts(), QStringList{"Register file bad.101: skipped malformed line 5 (" +
                                          problem + "), line 6 (not NAME::BITS)"});
    }

    // A Get of a text, which is no number, leaves the value field as it was.
    void getOfATextKeepsTheValue()
    {
        Variable note("@variable=NOTE@value=abc");
        QVERIFY(applet->addVariable(&note));
        console->itemCombo()->setEditText("NOTE");
        console->valueEdit()->setText("5");
        console->button("Get")->click();
        QCOMPARE(console->valueEdit()->value(), 5.0);
        applet->removeVariable(&note);
    }

    // A register's virtual fields are listed with the others, every field with its own texts.
    void virtualFieldsAreListed()
    {
        struct Fixed : Register::Virtual {
            void setValue(quint32) override {}
        };
        QVERIFY(applet->bank.addVirtual("SPEED", "Virtual speed", new Fixed));
        console->describeApplet("nodes");
        QCOMPARE(comboItems(console->itemCombo()), // listed anew, not added to the old list
                 QString("BANK[SW1]|BANK[SW2]|BANK[LEVEL]|BANK[SPEED]|BANK[]|BIG|CTRL[EN]|"
                         "CTRL[MODE]|CTRL[]|LOCK|SA"));
        QVERIFY(console->itemView()->toPlainText().contains("Virtual speed"));
        // A description holding the list's own separator character stays the description.
        applet->bank.bitAt(1)->setDescription(QString("Switch two") + QChar(0x1F) + "on");
        console->describeApplet("nodes");
        const QStringList lines = console->itemView()->toPlainText().split('\n');
        QCOMPARE(lines.mid(3, 2).join('|').remove(QChar(0x1F)),
                 QString("{1 }  SW2 = 0|Switch twoon"));
    }

    // The list offers this applet's files; choosing one applies it, rebuilding the list does not.
    void configurationList()
    {
        for (const char *name : {"b.101.HelperApplet", "c.101.Other", "d.101"})
            QVERIFY(TestFiles::write(name, "BANK::1000\n"));
        QVERIFY(TestFiles::write("a.101.HelperApplet", "BANK::0100\n"));
        QVERIFY(QDir().mkdir("e.101.HelperApplet")); // a directory is no file
        console->button("Update all")->click();
        QCOMPARE(comboItems(console->configurationCombo()),
                 QString("|a.101.HelperApplet|b.101.HelperApplet"));
        applet->bank.setValue(0);
        console->configurationCombo()->setCurrentIndex(1);
        QCOMPARE(applet->bank.value(), 0b0010u);
        console->configurationCombo()->setCurrentIndex(0); // the empty entry applies nothing
        QCOMPARE(applet->bank.value(), 0b0010u);
        console->configurationCombo()->setCurrentIndex(1);

        applet->bank.setValue(0b1000);
        applet->hookCalls.clear();
        QVERIFY(TestFiles::write("0.101.HelperApplet", "BANK::1111\n"));
        QSignalSpy update(console.get(), &AppletHelper::signal_update);
        console->button("Update all")->click();
        QCOMPARE(update.count(), 1);
        QCOMPARE(console->configurationCombo()->currentText(), QString("a.101.HelperApplet"));
        QCOMPARE(console->configurationCombo()->count(), 4);
        QVERIFY(applet->hookCalls.isEmpty());
        QCOMPARE(applet->bank.value(), 0b1000u);
        QDir().rmdir("e.101.HelperApplet");
    }

    // A find marks each hit in the item view and moves the cursor to the first; the next find
    // undoes the marks first. A new rendering keeps the view's scroll position.
    void findMarksHitsAndRenderingKeepsTheScroll()
    {
        console->resize(500, 260);
        console->show();
        QVERIFY(QTest::qWaitForWindowExposed(console.get()));
        const auto marked = [this](const QString &text) {
            QStringList found;
            QTextDocument *document = console->itemView()->document();
            for (QTextCursor c = document->find(text); !c.isNull(); c = document->find(text, c)) {
                QTextCursor inside(document);
                inside.setPosition(c.selectionStart() + 1);
                found << (inside.charFormat().background().color() == Qt::blue ? "blue" : "-");
            }
            return found.join(' ');
        };
        console->findEdit()->setText("SW");
        QCOMPARE(marked("SW"), QString("blue blue blue blue")); // SW1, Switch one, SW2, Switch two
        QCOMPARE(console->itemView()->textCursor().selectedText(),
                 QString("SW1 ")); // to the next word
        console->findEdit()->setText("LOCK");
        QCOMPARE(marked("SW") + "|" + marked("LOCK"), QString("- - - -|blue blue"));
        console->findEdit()->clear();
        QCOMPARE(marked("LOCK"), QString("- -"));

        for (QTextEdit *view : {console->itemView(), console->functionView()}) {
            console->findChild<QTabWidget *>()->setCurrentWidget(view->parentWidget());
            QScrollBar *bar = view->verticalScrollBar();
            QTRY_VERIFY(bar->maximum() > 20);
            bar->setValue(bar->maximum() / 2);
            const int scroll = bar->value();
            console->describeApplet("functions+nodes");
            QCOMPARE(bar->value(), scroll);
        }
    }

    // Every control of both tabs, and of the bars in them, has a place of its own in their
    // layout: none is left piled up in a corner or on top of another.
    void everyControlIsLaidOut()
    {
        auto *tabs = console->findChild<QTabWidget *>();
        QVERIFY(tabs && tabs->count() == 2);
        console->show();
        int controls = 0;
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QVERIFY(QTest::qWaitForWindowExposed(console.get()));
            const QString misplaced = misplacedControl(tabs->widget(i), &controls);
            QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
            // The bar of controls on top, as wide as the list under it and the search line
            // between them (the items' tab only).
            QRect bar, list, find;
            for (QWidget *w :
                 tabs->widget(i)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (w->metaObject()->className() == QByteArray("QFrame")) {
                    bar = w->geometry();
                    QVERIFY(static_cast<QFrame *>(w)->frameWidth() > 0); // a framed bar
                }
                else if (qobject_cast<QTextEdit *>(w))
                    list = w->geometry();
                else if (qobject_cast<QLineEdit *>(w))
                    find = w->geometry();
            }
            QVERIFY(bar.isValid() && bar.left() == list.left() && bar.right() == list.right());
            QVERIFY(i || (find.left() == bar.left() && find.right() == bar.right()));
            QVERIFY(bar.bottom() < list.top());
            if (i == 0) // bar, search line and list follow each other 1 pixel apart
                QCOMPARE(QList<int>({find.top() - bar.bottom(), list.top() - find.bottom()}),
                         QList<int>({2, 2}));
        }
        QCOMPARE(controls, 25);
        // The Run button stands apart from the results, between the bar's two spacers.
        const QRect run = console->button("Run")->geometry();
        QVERIFY(run.left() - console->textResultEdit()->geometry().right() > 20);
        QVERIFY(console->button("Run")->parentWidget()->width() - run.right() > 20);
        // A narrow console keeps the names' fields wide enough for the names: its tabs scroll.
        console->resize(120, console->height());
        QTRY_VERIFY(console->itemCombo()->width() >= 200);
        QVERIFY(console->functionCombo()->width() >= 150);
        QVERIFY(console->findChild<QScrollArea *>()->horizontalScrollBar()->isVisible());
        // The value field holds a 32-bit value in hexadecimal in the bar's font.
        QLineEdit *value = console->valueEdit();
        const int text = QFontMetrics(value->font()).horizontalAdvance("0xFFFFFFFF");
        QVERIFY(text <= value->width() - 8);
        tabs->setCurrentIndex(0);
        console->resize(console->sizeHint().width() + 300, console->height()); // spacers widen
        QTRY_VERIFY(value->minimumWidth() == value->width());
        // The buttons stand between the bar's spacers, apart from both of its ends.
        QPushButton *last = console->button("Fill 1");
        QVERIFY(last->parentWidget()->width() - last->geometry().right() > 20);
        QVERIFY(console->button("Set")->x() - value->geometry().right() > 20);
        // The lists stand on light yellow.
        for (auto *list : console->findChildren<QTextEdit *>())
            QCOMPARE(list->viewport()->grab().toImage().pixelColor(2, 2), QColor(255, 255, 240));
    }

    // By keys alone: the keyboard starts in the item box, shown; Tab goes round every control of
    // the items' tab in reading order; Return in the item box reads the item (a name the list
    // lacks is not added to it); back from another window the item box has lost Tab's selection
    // but not its text; Escape closes the console.
    void workedByKeysAlone()
    {
        KeyboardFocus::install();
        console->show();
        QVERIFY(QTest::qWaitForWindowActive(console.get()));
        QTRY_VERIFY(console->itemCombo()->hasFocus());
        QVERIFY(console->testAttribute(Qt::WA_KeyboardFocusChange));
        QStringList stops;
        for (int i = 0; i < 14; ++i) {
            stops << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(stops.join(' '), QString("cmItem leValue pbSet pbGet pbFill0 pbFill1 leFind "
                                          "teItems pbExport pbImport cmConfigurations "
                                          "pbUpdateAll qt_tabwidget_tabbar cmItem"));
        QLineEdit *item = console->itemCombo()->lineEdit();
        const int items = console->itemCombo()->count();
        QTest::keyClicks(item, "NONE");
        QTest::keyClick(item, Qt::Key_Return);
        QCOMPARE(console->itemCombo()->count(), items);
        item->setText("SA");
        QTest::keyClick(item, Qt::Key_Return);
        QCOMPARE(console->valueEdit()->text(), QString("1"));
        console->itemCombo()->setFocus(Qt::TabFocusReason);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        console->activateWindow();
        QTRY_VERIFY(console->itemCombo()->hasFocus());
        QVERIFY(!item->hasSelectedText() && item->text() == "SA");
        QTest::keyClick(item, Qt::Key_Escape);
        QVERIFY(!console->isVisible());
    }

    void f1OpensTheConsoleOnce()
    {
        QTest::keyClick(applet.get(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(applet.get(), Qt::Key_F2);
        QCOMPARE(openConsole(false), nullptr);
        AppletHelper *first = openConsole(true);
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QString("HELP:Helper tool"));
        QCOMPARE(first->functionCombo()->count(), 7);
        first->hide();
        QCOMPARE(openConsole(true), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->functionCombo()->count(), 7); // listed anew, not twice
        Variable extra("@variable=EXTRA@value=0");
        QVERIFY(applet->addVariable(&extra));
        first->button("Update all")->click(); // the applet describes itself anew
        QVERIFY(comboItems(first->itemCombo()).endsWith("|EXTRA|LOCK|SA"));
        QPointer<AppletHelper> guard(first);          // the console goes with its applet
        applet.reset();
        console.reset();
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 30000);
    }

private:
    // The console the applet opened itself on F1 (not the one the test made).
    AppletHelper *openConsole(bool pressF1)
    {
        if (pressF1)
            QTest::keyClick(applet.get(), Qt::Key_F1);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *h = qobject_cast<AppletHelper *>(w);
            if (h && h != console.get())
                return h;
        }
        return nullptr;
    }

    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<HelperApplet> applet;
    std::unique_ptr<AppletHelper> console;
};

QTEST_MAIN(TestAppletHelper)
#include "tst_applethelper.moc"
