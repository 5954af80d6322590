// The applet console driven through its widgets on an applet with two registers, three
// variables, bound widgets and functions of every result type.
#include "applet.h"
#include "applethelper.h"
#include "checkbox.h"
#include "dialogcheckboxes.h"
#include "lineedit.h"
#include "logrecorder.h"
#include "realedit.h"
#include "recordingprompt.h"
#include "tablerows.h"
#include "register.h"
#include "testfiles.h"
#include "variable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

using CustomControls::CheckBox;
using CustomControls::LineEdit;

namespace
{

// An applet with BANK (4 bits: SW1, SW2, LEVEL[2]), CTRL (8 bits: EN, MODE[7], read-only), the
// variables SA (0..31), LOCK (read-only) and BIG (0..1e9), widgets bound to BANK[SW1], BANK[]
// and SA, and one function per result type.
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
        // A description may hold the separator of the definition language.
        bank.bitAt(0)->setDescription("Switch one; off; on");
        ctrl.setReadOnly(true);
        cbSw1 = new CheckBox(this);
        cbSw1->setAccessibleName("BANK[SW1]");
        leBank = new LineEdit(this);
        leBank->setAccessibleName("BANK[]");
        leSa = new LineEdit(this);
        leSa->setAccessibleName("SA");
    }

    bool init() override
    {
        addRegister(&bank, 4);
        addRegister(&ctrl, 8);
        addVariable(&sa);
        addVariable(&lock);
        addVariable(&big);
        return true;
    }

    QVariant run(const QString &command, const QVariant &args) override
    {
        functions.insert("Bytes", "Returns two bytes");
        functions.insert("Count", "Returns an int");
        functions.insert("Flag", "Returns a bool");
        functions.insert("Nothing", "Returns nothing");
        functions.insert("Real", "Returns a double");
        functions.insert("Text", "Echoes its argument");
        functions.insert("Unsigned", "Returns an unsigned int");
        commands.append(command);
        arguments.append(args);
        if (command == "Bytes")
            return QByteArray("\x01\xab\x00", 3);
        if (command == "Count")
            return 42;
        if (command == "Flag")
            return true;
        if (command == "Real")
            return 4700.0;
        if (command == "Text")
            return QStringLiteral("echo:") + args.toString();
        if (command == "Unsigned")
            return 7u;
        return QVariant();
    }

    bool updateItem(int mode, const QString &name) override
    {
        hookCalls.append(QStringLiteral("%1:%2").arg(mode).arg(name));
        return true;
    }

    using Applet::functions;

    Register bank;
    Register ctrl;
    Variable sa;
    Variable lock;
    Variable big;
    CheckBox *cbSw1 = nullptr;
    LineEdit *leBank = nullptr;
    LineEdit *leSa = nullptr;
    QStringList commands;
    QVariantList arguments;
    QStringList hookCalls;
};

// Checks the named rows of the next check-box dialog and accepts it (or cancels it).
void answerCheckBoxDialog(const QStringList &checked, bool accept, QString *title)
{
    QTimer::singleShot(0, [=]() {
        auto *dialog = qobject_cast<DialogCheckBoxes *>(QApplication::activeModalWidget());
        if (!dialog) {
            answerCheckBoxDialog(checked, accept, title); // not shown yet
            return;
        }
        *title = dialog->windowTitle();
        const QList<QCheckBox *> boxes = dialog->findChildren<QCheckBox *>();
        for (QCheckBox *box : boxes)
            box->setChecked(checked.contains(box->text()));
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

QBrush backgroundAt(QTextDocument *document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);
    return cursor.charFormat().background();
}

} // namespace

class TestAppletHelper : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir dir;
        const QStringList files = dir.entryList(QDir::Files);
        for (const QString &file : files)
            dir.remove(file);
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

    void itemListHasFieldsAndWholeRegisters()
    {
        QCOMPARE(comboItems(console->itemCombo()),
                 (QStringList{"BANK[SW1]", "BANK[SW2]", "BANK[LEVEL]", "BANK[]", "BIG", "CTRL[EN]",
                              "CTRL[MODE]", "CTRL[]", "LOCK", "SA"}));
        // A rebuild keeps the chosen item.
        console->itemCombo()->setCurrentIndex(6);
        console->describeApplet("nodes");
        QCOMPARE(console->itemCombo()->currentText(), QString("CTRL[MODE]"));
        QCOMPARE(console->itemCombo()->count(), 10);
        // A typed expression that is not listed stays.
        console->itemCombo()->setEditText("BANK[3:2]");
        console->describeApplet("nodes");
        QCOMPARE(console->itemCombo()->currentText(), QString("BANK[3:2]"));
    }

    void descriptionRowsStayInPlace()
    {
        applet->bank.setValue(0b1101); // SW1 1, SW2 0, LEVEL 3
        applet->big.setValue(1234567.0, Variable::InternalKey);
        console->describeApplet("nodes");
        const QString text = console->itemView()->toPlainText();
        const QString nbsp(" "); // plain text shows a non-breaking space as a blank
        QVERIFY2(text.contains("REG " + nbsp + "CTRL[7..0]"), qPrintable(text));
        // One row per field, each followed by its own description.
        QCOMPARE(text.split('\n').mid(0, 7),
                 (QStringList{"REG  BANK[3..0]", "{0 }  SW1 = 1", "Switch one; off; on",
                              "{1 }  SW2 = 0", "Switch two", "{2:3 }  LEVEL[2] = 3", "Level"}));
        QVERIFY(text.split('\n').value(9).startsWith("VARIABLE  BIG")); // no row after the last
        QVERIFY(text.contains("{1:7 }" + nbsp + " MODE[7] = 0"));
        QVERIFY2(text.contains("VARIABLE  SA"), qPrintable(text));
        QVERIFY(text.contains("=1.23457e+06")); // six significant digits
        QVERIFY(text.indexOf("LOCK") < text.indexOf("VARIABLE  SA")); // items in sorted order
    }

    void functionList()
    {
        // Until something runs, the text result is the one shown.
        QVERIFY(console->intResultEdit()->isHidden());
        QVERIFY(console->realResultEdit()->isHidden());
        QVERIFY(!console->textResultEdit()->isHidden());
        QCOMPARE(comboItems(console->functionCombo()),
                 (QStringList{"Bytes", "Count", "Flag", "Nothing", "Real", "Text", "Unsigned"}));
        QCOMPARE(applet->commands.value(0), QString());
        QCOMPARE(applet->arguments.value(0), QVariant(0));
        const QString text = console->functionView()->toPlainText();
        QVERIFY(text.contains("FUNCTION Bytes"));
        QVERIFY(text.contains("Echoes its argument"));
        QVERIFY(text.indexOf("FUNCTION Real") < text.indexOf("FUNCTION Text"));
    }

    // check: the item read back with Applet::get; hookCall: the write the model change asks for.
    void setWritesWithTheInternalKey_data()
    {
        addRows<QString, QString, QString, double, QString>(
            {"item", "value", "check", "expected", "hookCall"},
            {{"BANK[LEVEL]", "3", "BANK[]", 12.0, "0:BANK"},
             {"BANK[]", "0xA", "BANK[]", 10.0, "0:BANK"},
             {"LOCK", "7", "LOCK", 7.0, "0:LOCK"},
             {"SA", "40", "SA", 1.0, ""},
             {"SA", "zz", "SA", 1.0, ""},
             {"NONE", "5", "SA", 1.0, ""}});
    }

    void setWritesWithTheInternalKey()
    {
        QFETCH(QString, item);
        QFETCH(QString, value);
        QFETCH(QString, check);
        QFETCH(double, expected);
        QFETCH(QString, hookCall);
        applet->bank.setValue(0);
        applet->hookCalls.clear();
        select(item, value);
        click("Set");
        QCOMPARE(applet->hookCalls, hookCall.isEmpty() ? QStringList() : QStringList{hookCall});
        QCOMPARE(applet->get(check, Variable::InternalKey).toDouble(), expected);
        // The description is rendered again and the item stays chosen.
        QCOMPARE(console->itemCombo()->currentText(), item);
        if (item == "LOCK")
            QVERIFY(console->itemView()->toPlainText().contains("=7"));
    }

    void getAsksTheBoardAndShowsTheValue()
    {
        applet->bank.setValue(0b1101);
        applet->hookCalls.clear();
        select("BANK[LEVEL]", "0");
        click("Get");
        QCOMPARE(applet->hookCalls, QStringList{"1:BANK"});
        QCOMPARE(console->valueEdit()->text(), QString("3"));

        console->valueEdit()->setBase(16);
        select("BANK[]");
        click("Get");
        QCOMPARE(console->valueEdit()->text(), QString("D"));

        // A name the applet does not bind changes nothing.
        select("NONE");
        click("Get");
        QCOMPARE(console->valueEdit()->text(), QString("D"));
    }

    void fill_data()
    {
        addRows<QString, QString, QString, double>({"item", "button", "check", "expected"},
                                                   {{"BANK[SW1]", "Fill 1", "BANK[]", 15.0},
                                                    {"BANK[]", "Fill 0", "BANK[]", 0.0},
                                                    {"CTRL[EN]", "Fill 1", "CTRL[]", 255.0},
                                                    {"BIG", "Fill 1", "BIG", 268435455.0},
                                                    {"LOCK", "Fill 0", "LOCK", 0.0},
                                                    {"SA", "Fill 1", "SA", 1.0},
                                                    {"NONE[X]", "Fill 1", "SA", 1.0}});
    }

    void fill()
    {
        QFETCH(QString, item);
        QFETCH(QString, button);
        QFETCH(QString, check);
        QFETCH(double, expected);
        applet->bank.setValue(0b0110);
        const QString htmlBefore = console->itemView()->toHtml();
        select(item);
        click(button);
        QCOMPARE(applet->get(check, Variable::InternalKey).toDouble(), expected);
        QCOMPARE(console->itemView()->toHtml(), htmlBefore); // not rendered again
        if (item.startsWith("BANK")) {
            QCOMPARE(applet->cbSw1->isChecked(), expected != 0);
            QCOMPARE(applet->leBank->text(), QString::number(int(expected)));
        }
    }

    // shown: "text", "int" or "real"
    void runShowsTheResultByType_data()
    {
        addRows<QString, QString, QString>({"function", "shown", "text"},
                                           {{"Bytes", "text", "01ab00"},
                                            {"Real", "real", ""},
                                            {"Count", "int", "42"},
                                            {"Flag", "int", "1"},
                                            {"Unsigned", "int", "7"},
                                            {"Text", "text", "echo:0x12 a"},
                                            {"Nothing", "text", ""}});
    }

    void runShowsTheResultByType()
    {
        QFETCH(QString, function);
        QFETCH(QString, shown);
        QFETCH(QString, text);
        console->textResultEdit()->setText("old");
        console->functionCombo()->setEditText(function);
        console->argumentEdit()->setText("0x12 a");
        click("Run");
        QCOMPARE(applet->commands.last(), function);
        QCOMPARE(applet->arguments.last(), QVariant(QString("0x12 a"))); // the raw text
        QCOMPARE(!console->textResultEdit()->isHidden(), shown == "text");
        QCOMPARE(!console->intResultEdit()->isHidden(), shown == "int");
        QCOMPARE(!console->realResultEdit()->isHidden(), shown == "real");
        if (shown == "text")
            QCOMPARE(console->textResultEdit()->text(), text);
        else if (shown == "int")
            QCOMPARE(console->intResultEdit()->text(), text);
        else
            QCOMPARE(console->realResultEdit()->value(), 4700.0);
    }

    void findHighlightsAndUndoes()
    {
        QTextEdit *view = console->itemView();
        QTextDocument *document = view->document();
        // A document with an edit of its own keeps it on the very first search: the next change
        // undoes one step, and as the first search added none, what goes is the test's own edit.
        const QString plain = document->toPlainText();
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText("MARKER");
        console->findEdit()->setText("zzz-not-there");
        QVERIFY(view->toPlainText().contains("MARKER"));
        console->findEdit()->setText(QString());
        QCOMPARE(document->toPlainText(), plain);

        const int level = int(plain.indexOf("LEVEL"));
        const int sw2 = int(plain.indexOf("SW2"));
        QVERIFY(level > 0 && sw2 > 0);

        console->findEdit()->setText("level"); // case does not matter
        QCOMPARE(backgroundAt(document, level).color(), QColor(Qt::blue));
        QCOMPARE(view->textCursor().selectionStart(),
                 int(plain.indexOf("Level", 0, Qt::CaseInsensitive)));
        QCOMPARE(document->toPlainText(), plain); // only formats change

        console->findEdit()->setText("sw2");
        QCOMPARE(backgroundAt(document, level).style(), Qt::NoBrush);
        QCOMPARE(backgroundAt(document, sw2).color(), QColor(Qt::blue));

        console->findEdit()->setText(QString());
        QCOMPARE(backgroundAt(document, sw2).style(), Qt::NoBrush);
        QCOMPARE(document->toPlainText(), plain);
    }

    void exportWritesTheChosenRegisters()
    {
        applet->bank.setValue(0b0101);
        applet->ctrl.setValue(0x81);
        prompt->queueFile("regs.101");
        QString title;
        answerCheckBoxDialog({"BANK", "CTRL", "SA"}, true, &title);
        click("Export");
        QCOMPARE(title, QString("REGISTER"));
        QCOMPARE(prompt->fileDialogs(), QStringList{"Save file|Files (*.101)"});
        QCOMPARE(TestFiles::read("regs.101.HelperApplet"),
                 QByteArray("BANK::1010\nCTRL::10000001\n"));
        QVERIFY(!QFile::exists("regs.101"));
        QCOMPARE(comboItems(console->configurationCombo()),
                 (QStringList{QString(), "regs.101.HelperApplet"}));

        // The file loads back into the registers.
        applet->bank.setValue(0);
        applet->ctrl.setValue(0);
        QVERIFY(console->applyRegisterFile("regs.101.HelperApplet"));
        QCOMPARE(applet->bank.value(), 0b0101u);
        QCOMPARE(applet->ctrl.value(), 0x81u);

        // Nothing chosen writes an empty file; a cancelled file dialog writes nothing.
        prompt->queueFile("none.101");
        answerCheckBoxDialog({}, false, &title);
        click("Export");
        QCOMPARE(TestFiles::read("none.101.HelperApplet"), QByteArray());
        answerCheckBoxDialog({"BANK"}, true, &title);
        click("Export");
        QCOMPARE(QDir().entryList({"*.HelperApplet"}, QDir::Files),
                 (QStringList{"none.101.HelperApplet", "regs.101.HelperApplet"}));

        // A file that cannot be written is reported.
        LogRecorder log(applet.get());
        prompt->queueFile("missing-dir/regs.101");
        answerCheckBoxDialog({"BANK"}, true, &title);
        click("Export");
        QVERIFY(!QFile::exists("missing-dir/regs.101.HelperApplet"));
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(log.entries().value(0).first, -1);
        QVERIFY(log.entries().value(0).second.contains("missing-dir/regs.101.HelperApplet"));
    }

    void importAppliesRegisterLines()
    {
        applet->bank.setValue(0);
        applet->ctrl.setValue(0xFF);
        applet->hookCalls.clear();
        LogRecorder log(applet.get());
        QByteArray text = "BANK::1010\r\n" // a CR before the LF is no digit
                          "SA::11111\n"    // a variable: ignored
                          "OTHER::1111\n"  // not bound: ignored
                          "\n"
                          "CTRL::00000000\r\n"; // read-only registers load too
        text += '\0';
        text += "BANK::1111\n"; // after the first zero byte: not read
        QVERIFY(TestFiles::write("in.101", text));
        QSignalSpy changes(&applet->bank, &Register::signal_updateSet);
        QVERIFY(console->applyRegisterFile("in.101"));
        // Every writable item goes to the board (reading the registers below asks the board too).
        QCOMPARE(applet->hookCalls.join(" "), QString("0:BANK 0:SA 0:BIG"));
        QCOMPARE(applet->bank.value(), 0b0101u);
        QCOMPARE(applet->ctrl.value(), 0u);
        QCOMPARE(applet->sa.value(), 1.0);
        QCOMPARE(changes.count(), 0); // set silently, then written as a whole
        QVERIFY(log.entries().isEmpty());
        // Widgets show the new values.
        QVERIFY(applet->cbSw1->isChecked());
        QCOMPARE(applet->leBank->text(), QString("5"));
        QVERIFY(console->itemView()->toPlainText().contains(" SW1 = 1"));

        QVERIFY(!console->applyRegisterFile(QString()));
        QVERIFY(!console->applyRegisterFile("absent.101"));
    }

    void importSkipsMalformedLines_data()
    {
        const QString digits = "digits other than 0 and 1";
        addRows<QByteArray, QString>({"line", "reason"},
                                     {{"BANK=1111", "not NAME::BITS"},
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
        LogRecorder log(applet.get());
        QVERIFY(TestFiles::write("bad.101", "CTRL::11000000\n" + line + "\nLAST\n"));
        QVERIFY(console->applyRegisterFile("bad.101"));
        QCOMPARE(applet->bank.value(), 0b0110u); // untouched, not partly written
        QCOMPARE(applet->ctrl.value(), 0x03u);   // the good line still applies
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(log.entries().value(0).first, -1);
        const QString text = log.entries().value(0).second;
        QVERIFY2(text.contains("bad.101") && text.contains("line 2") && text.contains(reason) &&
                     text.contains("line 3"),
                 qPrintable(text));
    }

    void configurationListShowsThisAppletsFiles()
    {
        QVERIFY(TestFiles::write("b.101.HelperApplet", "BANK::1000\n"));
        QVERIFY(TestFiles::write("a.101.HelperApplet", "BANK::0100\n"));
        QVERIFY(TestFiles::write("c.101.Other", "BANK::1111\n"));
        QVERIFY(TestFiles::write("d.101", "BANK::1111\n"));
        QVERIFY(QDir().mkdir("e.101.HelperApplet")); // a directory is no file
        click("Update all");
        QCOMPARE(comboItems(console->configurationCombo()),
                 (QStringList{QString(), "a.101.HelperApplet", "b.101.HelperApplet"}));

        applet->bank.setValue(0);
        console->configurationCombo()->setCurrentIndex(2);
        QCOMPARE(applet->bank.value(), 0b0001u);
        console->configurationCombo()->setCurrentIndex(0); // the empty entry applies nothing
        QCOMPARE(applet->bank.value(), 0b0001u);
        QDir().rmdir("e.101.HelperApplet");

        // "Import" asks for a file and applies it under its own name; cancelled, it applies
        // nothing.
        QVERIFY(TestFiles::write("x.101", "BANK::0011\n"));
        applet->bank.setValue(0);
        click("Import");
        QCOMPARE(prompt->fileDialogs(), QStringList{"Load file|Files (*.101)"});
        QCOMPARE(applet->bank.value(), 0u);
        prompt->queueFile("x.101");
        click("Import");
        QCOMPARE(applet->bank.value(), 0b1100u);
    }

    void rebuildingTheListDoesNotApplyAgain()
    {
        QVERIFY(TestFiles::write("a.101.HelperApplet", "BANK::0100\n"));
        click("Update all");
        console->configurationCombo()->setCurrentIndex(1);
        QCOMPARE(applet->bank.value(), 0b0010u);

        // The user changes the register; rebuilding the list keeps the change and writes nothing.
        applet->bank.setValue(0b1000);
        applet->hookCalls.clear();
        QVERIFY(TestFiles::write("z.101.HelperApplet", "BANK::1111\n"));
        QSignalSpy update(console.get(), &AppletHelper::signal_update);
        click("Update all");
        QCOMPARE(update.count(), 1);
        QCOMPARE(console->configurationCombo()->currentText(), QString("a.101.HelperApplet"));
        QCOMPARE(console->configurationCombo()->count(), 3);
        QCOMPARE(applet->hookCalls.join(" "), QString());
        QCOMPARE(applet->bank.toBitString(), QByteArray("0001"));

        // Nor does an export.
        prompt->queueFile("n.101");
        QString title;
        answerCheckBoxDialog({"BANK"}, true, &title);
        click("Export");
        QCOMPARE(TestFiles::read("n.101.HelperApplet"), QByteArray("BANK::0001\n"));
        QCOMPARE(applet->hookCalls.join(" "), QString());
        QCOMPARE(applet->bank.toBitString(), QByteArray("0001"));
    }

    void f1OpensTheConsoleOnce()
    {
        QTest::keyClick(applet.get(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(applet.get(), Qt::Key_F2);
        QCOMPARE(appletConsole(), nullptr);
        AppletHelper *first = openConsole();
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QString("HELP:Helper tool"));
        QVERIFY(first->isVisible());
        QCOMPARE(first->itemCombo()->count(), 10);
        QCOMPARE(first->functionCombo()->count(), 7);
        first->hide();
        QCOMPARE(openConsole(), first);
        QVERIFY(first->isVisible());

        // "Update all" shows the console again with the items bound since.
        Variable extra("@variable=EXTRA@value=3");
        QVERIFY(applet->addVariable(&extra));
        first->hide();
        first->button("Update all")->click();
        QVERIFY(first->isVisible());
        QVERIFY(comboItems(first->itemCombo()).contains("EXTRA"));
        applet->removeVariable(&extra);

        // The console goes with its applet.
        QPointer<AppletHelper> guard(first);
        applet.reset();
        console.reset();
        QTRY_VERIFY(guard.isNull());
    }

private:
    // The console the applet opened itself (not the one the test made).
    AppletHelper *appletConsole() const
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            auto *h = qobject_cast<AppletHelper *>(w);
            if (h && h != console.get())
                return h;
        }
        return nullptr;
    }

    AppletHelper *openConsole()
    {
        QTest::keyClick(applet.get(), Qt::Key_F1);
        return appletConsole();
    }

    void select(const QString &item, const QString &value = QString())
    {
        console->itemCombo()->setEditText(item);
        if (!value.isNull())
            console->valueEdit()->setText(value);
    }

    void click(const QString &text)
    {
        QPushButton *button = console->button(text);
        QVERIFY2(button, qPrintable(text));
        button->click();
    }

    QStringList comboItems(QComboBox *combo) const
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        return items;
    }

    std::unique_ptr<HelperApplet> applet;
    std::unique_ptr<AppletHelper> console;
    std::unique_ptr<RecordingPrompt> prompt;
};

QTEST_MAIN(TestAppletHelper)
#include "tst_applethelper.moc"
