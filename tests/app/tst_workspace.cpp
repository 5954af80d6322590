// Workspace files: the blocks written, what loading restores, and what it refuses.
#include "applet.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "register.h"
#include "tablerows.h"
#include "testfiles.h"
#include "variable.h"
#include "widgetprompt.h"
#include "workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

// An applet that binds one variable and one 4-bit register of its own.
class ConfigApplet : public Applet
{
public:
    explicit ConfigApplet(const QString &name)
        : variable("@variable=V1@value=1.5@min=-1000@max=1000"), reg("A;B;C[2]", "R4")
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

static QAction *configEntry(QWidget *window, const QString &text)
{
    for (QMenu *menu : window->findChildren<QMenu *>())
        for (QAction *action : menu->actions())
            if (menu->title() == "&Config" && action->text() == text)
                return action;
    return nullptr;
}

class TestWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        for (auto *a : {&alpha, &beta, &gamma}) {
            *a = std::make_unique<ConfigApplet>(a == &alpha ? "Alpha" : a == &beta ? "Beta" : "Gamma");
            QVERIFY((*a)->setup());
        }
        prompt = std::make_unique<RecordingPrompt>();
    }

    void cleanup()
    {
        prompt.reset();
        alpha.reset();
        beta.reset();
        gamma.reset();
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
        const QByteArray saved = TestFiles::read("ws1.bench");
        QCOMPARE(saved, QByteArray("Alpha\n{\nV1:2.250000\nR4:0b1011\n\n}\n"
                                   "Gamma\n{\nV1:-3.000000\nR4:0b0000\n\n}\n"));
        alpha->variable.setValue(0.0, Variable::InternalKey);
        alpha->reg.setValue(0u, true);
        QVERIFY(ws.load("ws1.bench"));
        QCOMPARE(alpha->variable.value(), 2.25);
        QCOMPARE(alpha->reg.value(true), 0xDu);
        QVERIFY(ws.write("again.bench", {"Alpha", "Gamma"}));
        QCOMPARE(TestFiles::read("again.bench"), saved);
    }

    // Cancelled choice, nothing chosen or cancelled file dialog: nothing written, no failure.
    void saveStopsOnCancel_data()
    {
        addRows<bool, QStringList, QString, int>({"accepted", "chosen", "file", "fileDialogs"},
                                                 {{false, {"Alpha"}, "a.bench", 0},
                                                  {true, {}, "a.bench", 0},
                                                  {true, {"Alpha"}, "", 1}});
    }

    void saveStopsOnCancel()
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

    // blocks: the blocks applied; alpha, gamma: their variables afterwards (Beta is never
    // named and keeps 1.5).
    void apply_data()
    {
        addRows<QByteArray, int, double, double>(
            {"text", "blocks", "alpha", "gamma"},
            {{"Gamma\n{\nV1:4\nR4:0x0C\n\n}\nUnknown\n{\nV1:99\n}\nAlpha\n{\nV1:-2.5\n\n}\n", 2, -2.5, 4},
             {"Alpha\n{\nV1:" + QByteArray(5000, '0') + "12.5\n}\n", 1, 12.5, 1.5},
             {"Alpha\r\n{\r\nV1:9\r\n\r\n}\r\n", 0, 1.5, 1.5},
             {"Alpha\n{\nV1:9\n", 0, 1.5, 1.5}, {"{\nV1:9\n}\n", 0, 1.5, 1.5},
             {"Alpha\n}\n{\nV1:9\n}\n", 0, 1.5, 1.5}, {"Alpha\n{\nV1:9\n{\nV1:8\n}\n", 1, 8, 1.5},
             {"Alpha\n{\n:::\nV1\nV1:1:2\n\x01\x02\n}\n", 1, 1.5, 1.5},
             {QByteArray("Al\0pha\n{\nV1:9\n}\n", 17), 0, 1.5, 1.5}, {"", 0, 1.5, 1.5},
             {"Alpha\n{\nV1:3\n}", 1, 3, 1.5}});
    }

    void apply()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, blocks);
        QFETCH(double, alpha);
        QFETCH(double, gamma);
        QCOMPARE(workspace().apply(text), blocks);
        QCOMPARE(this->alpha->variable.value(), alpha);
        QCOMPARE(this->gamma->variable.value(), gamma);
        QCOMPARE(beta->variable.value(), 1.5);
        if (blocks == 2)
            QCOMPARE(this->gamma->reg.value(true), 0xCu);
    }

    void loadAsksAndReports()
    {
        QVERIFY(TestFiles::write("asked.bench", "Beta\n{\nV1:6\n}\n"));
        prompt->queueFile("asked.bench");
        Workspace ws = workspace();
        QVERIFY(ws.load(QString()));
        QCOMPARE(prompt->fileDialogs(), QStringList{"Load workspace|Files (*.bench)"});
        QCOMPARE(beta->variable.value(), 6.0);
        QVERIFY(!ws.load("absent.bench"));
        QVERIFY(!ws.errorString().isEmpty());
        QVERIFY(ws.load(QString())); // cancelled: nothing read, no old error
        QVERIFY(ws.errorString().isEmpty());

        QVERIFY(TestFiles::write("plain", "a file, not a folder"));
        prompt->queueChoices({"Alpha"});
        prompt->queueFile("plain/inside.bench");
        QVERIFY(!ws.save());
        QVERIFY(!ws.errorString().isEmpty());
        QCOMPARE(TestFiles::read("plain"), QByteArray("a file, not a folder"));
    }

    void menuEntriesKeepTheRealFileName()
    {
        for (const char *name : {"b1.bench", "A2.bench", "x.bench.bench", "notes.txt"})
            QVERIFY(TestFiles::write(name, "Alpha\n{\nV1:5\n}\n"));
        QVERIFY(QDir().mkdir("folder.bench"));
        QStringList entries;
        for (const Workspace::MenuEntry &e : Workspace::menuEntries())
            entries.append(e.text + "=" + e.fileName);
        QCOMPARE(entries, QStringList({"A2=A2.bench", "b1=b1.bench", "x=x.bench.bench"}));
    }

    // The real check-box dialog: nothing checked at first; "All On" and OK save every applet,
    // Cancel saves nothing. With the test answer switch nothing is shown or written.
    void choiceDialog()
    {
        DialogPrompt dialogs;
        Prompt::install(&dialogs);
        for (bool accept : {false, true}) {
            int checkedAtFirst = -1;
            QTimer::singleShot(0, this, [&] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QCOMPARE(dialog->windowTitle(), QString("Select windows save..."));
                checkedAtFirst = 0;
                for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
                    checkedAtFirst += box->isChecked() ? 1 : 0;
                for (QPushButton *b : dialog->findChildren<QPushButton *>())
                    if (b->text() == QStringLiteral("All On"))
                        b->click();
                dialog->findChild<QDialogButtonBox *>()
                    ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                    ->click();
            });
            QVERIFY(workspace().save());
            QCOMPARE(checkedAtFirst, 0);
            QCOMPARE(QFile::exists("all.bench"), accept);
        }
        QVERIFY(TestFiles::read("all.bench").endsWith("\n}\nGamma\n{\nV1:1.500000\nR4:0b0000\n\n}\n"));
        QFile::remove("all.bench");
        qputenv("KVL_PROMPT_DEFAULTS", "1");
        const bool saved = workspace().save();
        qunsetenv("KVL_PROMPT_DEFAULTS");
        Prompt::install(nullptr);
        QVERIFY(saved);
        QVERIFY(!QFile::exists("all.bench"));
    }

    // The whole program: "&Save config" writes the chosen applets' blocks and lists the new
    // file in "&Config"; that entry loads it back; a file saved elsewhere gets no entry.
    void configMenuOfTheProgram()
    {
        MainApp *app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ConfigApplet("Alpha"); },
                                 []() -> Applet * { return new ConfigApplet("Beta"); }});
        QVERIFY(app->init());
        app->start();
        auto *tool = static_cast<ConfigApplet *>(app->applet(2));
        tool->variable.setValue(8.25, Variable::InternalKey);
        prompt->queueChoices({"Beta"});
        prompt->queueFile("bench1.bench");
        QAction *save = configEntry(app->mainWindow(), "&Save config");
        QVERIFY(save && !configEntry(app->mainWindow(), "bench1"));
        save->trigger();
        QCOMPARE(prompt->choiceDialogs(), QStringList{"Select windows save...|Logs,Alpha,Beta"});
        QCOMPARE(TestFiles::read("bench1.bench"), QByteArray("Beta\n{\nV1:8.250000\nR4:0b0000\n\n}\n"));
        tool->variable.setValue(0.0, Variable::InternalKey);
        configEntry(app->mainWindow(), "bench1")->trigger();
        QCOMPARE(tool->variable.value(), 8.25);
        QVERIFY(QDir().mkdir("elsewhere"));
        prompt->queueFile("elsewhere/bench2.bench");
        save->trigger();
        QVERIFY(QFile::exists("elsewhere/bench2.bench"));
        QVERIFY(!configEntry(app->mainWindow(), "bench2"));
        app->shutdown();
    }

private:
    // A null entry, as the program's table may hold, is skipped.
    Workspace workspace() const { return Workspace({alpha.get(), nullptr, beta.get(), gamma.get()}); }

    std::unique_ptr<ConfigApplet> alpha, beta, gamma;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<QTemporaryDir> dir; // each case works in a folder of its own
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
