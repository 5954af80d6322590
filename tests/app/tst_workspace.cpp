#include "applet.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "register.h"
#include "testfiles.h"
#include "variable.h"
#include "widgetprompt.h"
#include "workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace
{

// An applet that binds one variable and one 4-bit register of its own.
class ConfigApplet : public Applet
{
public:
    explicit ConfigApplet(const QString &name)
        : variable(QStringLiteral("@variable=V1@value=1.5@min=-1000@max=1000")),
          reg(QStringLiteral("A;B;C[2]"), QStringLiteral("R4"))
    {
        setObjectName(name);
    }
    QVariant run(const QString &, const QVariant &) override { return QVariant(); }
    bool init() override { return addVariable(&variable) && addRegister(&reg, 4); }

    Variable variable;
    Register reg;
};

// The program's dialogs, with a file name given in place of the file dialog.
class DialogPrompt : public WidgetPrompt
{
public:
    QString saveFileName(const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("all.bench");
    }
};

} // namespace

static QAction *menuEntry(QWidget *window, const QString &menuTitle, const QString &text)
{
    for (QMenu *menu : window->findChildren<QMenu *>()) {
        if (menu->title() != menuTitle)
            continue;
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

// Workspace files: the blocks written, what loading restores, and what it refuses.
class TestWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QVERIFY(QDir::setCurrent(dir->path()));
        alpha = std::make_unique<ConfigApplet>("Alpha");
        beta = std::make_unique<ConfigApplet>("Beta");
        gamma = std::make_unique<ConfigApplet>("Gamma");
        for (ConfigApplet *a : {alpha.get(), beta.get(), gamma.get()})
            QVERIFY(a->setup());
        prompt = std::make_unique<RecordingPrompt>();
    }

    void cleanup()
    {
        prompt.reset();
        alpha.reset();
        beta.reset();
        gamma.reset();
        dir.reset();
    }

    void saveWritesTheChosenBlocksInTableOrder()
    {
        alpha->variable.setValue(2.25, Variable::InternalKey);
        alpha->reg.setValue(0xDu, true); // bits 0, 2 and 3
        gamma->variable.setValue(-3, Variable::InternalKey);
        prompt->queueChoices({"Gamma", "Alpha"}); // the order chosen does not matter
        prompt->queueFile("ws1");                 // typed without extension
        Workspace ws = workspace();
        QVERIFY(ws.save());
        QCOMPARE(prompt->choiceDialogs(), QStringList{"Select windows save...|Alpha,Beta,Gamma"});
        QCOMPARE(prompt->fileDialogs(), QStringList{"Save workspace|Files (*.bench)"});
        QCOMPARE(ws.fileName(), QStringLiteral("ws1.bench"));
        QCOMPARE(fileBytes("ws1.bench"), QByteArray("Alpha\n{\n"
                                                    "V1:2.250000\n"
                                                    "R4:0b1011\n"
                                                    "\n}\n"
                                                    "Gamma\n{\n"
                                                    "V1:-3.000000\n"
                                                    "R4:0b0000\n"
                                                    "\n}\n"));

        // The file loads back, and writing again gives the same bytes.
        const QByteArray saved = fileBytes("ws1.bench");
        alpha->variable.setValue(0.0, Variable::InternalKey);
        alpha->reg.setValue(0u, true);
        gamma->variable.setValue(9.0, Variable::InternalKey);
        QVERIFY(ws.load("ws1.bench"));
        QCOMPARE(alpha->variable.value(), 2.25);
        QCOMPARE(alpha->reg.value(true), 0xDu);
        QCOMPARE(gamma->variable.value(), -3.0);
        QVERIFY(ws.write("again.bench", {"Alpha", "Gamma"}));
        QCOMPARE(fileBytes("again.bench"), saved);
    }

    void saveAsksInOrderAndStopsOnCancel_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("fileDialogs");

        QTest::newRow("choice cancelled")
            << false << QStringList{"Alpha"} << QString("a.bench") << 0;
        QTest::newRow("nothing chosen") << true << QStringList() << QString("a.bench") << 0;
        QTest::newRow("file dialog cancelled") << true << QStringList{"Alpha"} << QString("") << 1;
    }

    void saveAsksInOrderAndStopsOnCancel()
    {
        QFETCH(bool, accepted);
        QFETCH(QStringList, chosen);
        QFETCH(QString, file);
        QFETCH(int, fileDialogs);
        prompt->queueChoices(chosen, accepted);
        prompt->queueFile(file);
        Workspace ws = workspace();
        QVERIFY(ws.save());
        QVERIFY(ws.errorString().isEmpty());
        QCOMPARE(prompt->fileDialogs().size(), fileDialogs);
        QVERIFY(QDir().entryList({"*.bench"}, QDir::Files).isEmpty());
    }

    void blocksLoadWhateverTheirOrder()
    {
        const QByteArray text = "Gamma\n{\nV1:4\nR4:0x0C\n\n}\n"
                                "Unknown\n{\nV1:99\n}\n"
                                "Alpha\n{\nV1:-2.5\nR4:13\n\n}\n";
        QCOMPARE(workspace().apply(text), 2);
        QCOMPARE(gamma->variable.value(), 4.0);
        QCOMPARE(gamma->reg.value(true), 0xCu);
        QCOMPARE(alpha->variable.value(), -2.5);
        QCOMPARE(alpha->reg.value(true), 13u);
        QCOMPARE(beta->variable.value(), 1.5); // not in the file
    }

    // A line far longer than any buffer still reaches the applet whole.
    void linesOfAnyLength()
    {
        const QByteArray value = QByteArray(5000, '0') + "12.5";
        writeFile("long.bench",
                  "Beta\n{\nV1:" + value + "\nR4:0b" + QByteArray(3000, '1') + "\n}\n");
        QVERIFY(workspace().load("long.bench"));
        QCOMPARE(beta->variable.value(), 12.5);
        QCOMPARE(beta->reg.value(true), 0xFu);
    }

    void crLfFileLoadsNoBlock()
    {
        writeFile("crlf.bench", "Alpha\r\n{\r\nV1:9\r\n\r\n}\r\n");
        QVERIFY(workspace().load("crlf.bench"));
        QCOMPARE(alpha->variable.value(), 1.5);
    }

    void textLoadsNothingWrong_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<double>("alphaValue");

        QTest::newRow("block never closed") << QByteArray("Alpha\n{\nV1:9\n") << 0 << 1.5;
        QTest::newRow("block without a name") << QByteArray("{\nV1:9\n}\n") << 0 << 1.5;
        QTest::newRow("closing brace outside") << QByteArray("Alpha\n}\n{\nV1:9\n}\n") << 0 << 1.5;
        QTest::newRow("second open restarts")
            << QByteArray("Alpha\n{\nV1:9\n{\nV1:8\n}\n") << 1 << 8.0;
        QTest::newRow("garbage lines inside")
            << QByteArray("Alpha\n{\n:::\nV1\nV1:1:2\n\x01\x02\n}\n") << 1 << 1.5;
        QTest::newRow("zero bytes") << QByteArray("Al\0pha\n{\nV1:9\n}\n", 17) << 0 << 1.5;
        QTest::newRow("empty") << QByteArray() << 0 << 1.5;
        QTest::newRow("last line without line feed") << QByteArray("Alpha\n{\nV1:3\n}") << 1 << 3.0;
    }

    void textLoadsNothingWrong()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, blocks);
        QFETCH(double, alphaValue);
        QCOMPARE(workspace().apply(text), blocks);
        QCOMPARE(alpha->variable.value(), alphaValue);
        QCOMPARE(beta->variable.value(), 1.5);
    }

    void loadAsksForAFileWhenNoneIsGiven()
    {
        writeFile("asked.bench", "Beta\n{\nV1:6\n}\n");
        prompt->queueFile("asked.bench");
        Workspace ws = workspace();
        QVERIFY(ws.load(QString()));
        QCOMPARE(prompt->fileDialogs(), QStringList{"Load workspace|Files (*.bench)"});
        QCOMPARE(beta->variable.value(), 6.0);
        // Cancelled: nothing read, nothing reported.
        QVERIFY(ws.load(QString()));
        QVERIFY(ws.errorString().isEmpty());
        // A missing file is reported.
        QVERIFY(!ws.load("absent.bench"));
        QVERIFY(!ws.errorString().isEmpty());
        QCOMPARE(alpha->variable.value(), 1.5);
        QVERIFY(ws.load(QString())); // a later cancelled load reports no old error
        QVERIFY(ws.errorString().isEmpty());
    }

    void failedWriteIsReported()
    {
        writeFile("plain", "a file, not a folder");
        prompt->queueChoices({"Alpha"});
        prompt->queueFile("plain/inside.bench");
        Workspace ws = workspace();
        QVERIFY(!ws.save());
        QVERIFY(!ws.errorString().isEmpty());
        QCOMPARE(fileBytes("plain"), QByteArray("a file, not a folder"));
    }

    void menuEntriesKeepTheRealFileName()
    {
        for (const char *name : {"b1.bench", "A2.bench", "x.bench.bench", "notes.txt"})
            writeFile(name, "");
        QVERIFY(QDir().mkdir("folder.bench"));
        const QList<Workspace::MenuEntry> entries = Workspace::menuEntries();
        QStringList texts;
        QStringList files;
        for (const Workspace::MenuEntry &e : entries) {
            texts.append(e.text);
            files.append(e.fileName);
        }
        QCOMPARE(texts, QStringList({"A2", "b1", "x"}));
        QCOMPARE(files, QStringList({"A2.bench", "b1.bench", "x.bench.bench"}));

        writeFile("x.bench.bench", "Alpha\n{\nV1:5\n}\n");
        QVERIFY(workspace().load(entries.at(2).fileName));
        QCOMPARE(alpha->variable.value(), 5.0);
    }

    void choiceDialogChoosesTheApplets_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    // The real check-box dialog: nothing checked at first; "All On" and OK save every applet,
    // Cancel saves nothing.
    void choiceDialogChoosesTheApplets()
    {
        QFETCH(bool, accept);
        DialogPrompt dialogs;
        Prompt::install(&dialogs);
        QString title;
        int checkedAtFirst = -1;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            checkedAtFirst = 0;
            for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
                checkedAtFirst += box->isChecked() ? 1 : 0;
            const auto buttons = dialog->findChildren<QPushButton *>();
            for (QPushButton *b : buttons) {
                if (b->text() == QStringLiteral("All On"))
                    b->click();
            }
            dialog->findChild<QDialogButtonBox *>()
                ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        });
        const bool saved = workspace().save();
        Prompt::install(nullptr);
        QVERIFY(saved);
        QCOMPARE(title, QStringLiteral("Select windows save..."));
        QCOMPARE(checkedAtFirst, 0);
        const QByteArray bytes = fileBytes("all.bench");
        if (!accept) {
            QCOMPARE(bytes, QByteArray("<missing>"));
            return;
        }
        QVERIFY(bytes.startsWith("Alpha\n{\n"));
        QVERIFY(bytes.contains("\n}\nBeta\n{\n"));
        QVERIFY(bytes.endsWith("\n}\nGamma\n{\nV1:1.500000\nR4:0b0000\n\n}\n"));
    }

    // With the test answer switch every applet is chosen and the file dialog cancelled: nothing
    // is shown, nothing written, no failure.
    void defaultAnswersSaveNothing()
    {
        qputenv("KVL_PROMPT_DEFAULTS", "1");
        Workspace ws = workspace();
        const bool saved = ws.save();
        qunsetenv("KVL_PROMPT_DEFAULTS");
        QVERIFY(saved);
        QVERIFY(ws.errorString().isEmpty());
        QVERIFY(prompt->choiceDialogs().isEmpty()); // the recording prompt was bypassed
        QVERIFY(QDir().entryList({"*.bench"}, QDir::Files).isEmpty());
        bool accepted = false;
        QCOMPARE(DefaultPrompt().getChoices("t", {"Alpha", "Beta"}, &accepted),
                 QStringList({"Alpha", "Beta"}));
        QVERIFY(accepted);
    }

    // The whole program: "&Save config" asks through the prompt, writes the chosen applets' blocks
    // and lists the new file in "&Config"; that entry loads it back.
    void configMenuSavesAndLoadsTheProgramsApplets()
    {
        MainApp *app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ConfigApplet("Alpha"); },
                                 []() -> Applet * { return new ConfigApplet("Beta"); }});
        QVERIFY(app->init());
        app->start();
        auto tool = [app](int i) { return static_cast<ConfigApplet *>(app->applet(i)); };
        QCOMPARE(tool(2)->objectName(), QStringLiteral("Beta"));
        tool(2)->variable.setValue(8.25, Variable::InternalKey);

        prompt->queueChoices({"Beta"});
        prompt->queueFile("bench1.bench");
        QAction *save = menuEntry(app->mainWindow(), "&Config", "&Save config");
        QVERIFY(save);
        QVERIFY(!menuEntry(app->mainWindow(), "&Config", "bench1"));
        save->trigger();
        QCOMPARE(prompt->choiceDialogs(), QStringList{"Select windows save...|Logs,Alpha,Beta"});
        QCOMPARE(fileBytes("bench1.bench"), QByteArray("Beta\n{\nV1:8.250000\nR4:0b0000\n\n}\n"));

        QAction *entry = menuEntry(app->mainWindow(), "&Config", "bench1");
        QVERIFY(entry);
        tool(2)->variable.setValue(0.0, Variable::InternalKey);
        entry->trigger();
        QCOMPARE(tool(2)->variable.value(), 8.25);

        // A workspace saved elsewhere gets no entry.
        QVERIFY(QDir().mkdir("elsewhere"));
        prompt->queueFile("elsewhere/bench2.bench");
        save->trigger();
        QVERIFY(QFile::exists("elsewhere/bench2.bench"));
        QVERIFY(!menuEntry(app->mainWindow(), "&Config", "bench2"));
        QVERIFY(menuEntry(app->mainWindow(), "&Config", "bench1"));
        app->shutdown();
    }

private:
    QList<Applet *> table() const
    {
        // A null entry, as the program's table may hold, is skipped.
        return {alpha.get(), nullptr, beta.get(), gamma.get()};
    }

    Workspace workspace() const { return Workspace(table()); }

    static void writeFile(const QString &name, const QByteArray &bytes)
    {
        QVERIFY(TestFiles::write(name, bytes));
    }
    static QByteArray fileBytes(const QString &name) { return TestFiles::read(name); }

    std::unique_ptr<ConfigApplet> alpha;
    std::unique_ptr<ConfigApplet> beta;
    std::unique_ptr<ConfigApplet> gamma;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<QTemporaryDir> dir; // each case works in a folder of its own
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
