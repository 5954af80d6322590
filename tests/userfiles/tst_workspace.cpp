// Workspace files: the blocks written, what loading restores, and what it refuses.
#include "applet.h"
#include "recordingprompt.h"
#include "register.h"
#include "tablerows.h"
#include "testfiles.h"
#include "variable.h"
#include "workspace.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

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

class TestWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        for (auto *a : {&alpha, &beta, &gamma}) {
            *a = std::make_unique<ConfigApplet>(a == &alpha  ? "Alpha"
                                                : a == &beta ? "Beta"
                                                             : "Gamma");
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

    // The chosen applets' blocks in table order (a file name typed without extension gets
    // one); the file loads back and writes the same bytes again.
    void saveWritesTheChosenBlocksInTableOrder()
    {
        alpha->variable.setValue(2.25, Variable::InternalKey);
        alpha->reg.setValue(0xDu, true); // bits 0, 2 and 3
        gamma->variable.setValue(-3, Variable::InternalKey);
        prompt->queueChoices({"Gamma", "Alpha"});
        prompt->queueFile("ws1");
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
        // Cancelled choice, nothing chosen, cancelled file dialog: nothing written, no failure.
        for (const auto &[accepted, chosen] :
             {std::pair<bool, QStringList>{false, {"Beta"}}, {true, {}}, {true, {"Beta"}}}) {
            prompt->queueChoices(chosen, accepted);
            QVERIFY(ws.save() && ws.errorString().isEmpty());
        }
        QCOMPARE(prompt->fileDialogs().size(), 2);
        QCOMPARE(QDir().entryList({"*.bench"}, QDir::Files).size(), 2);
    }

    // blocks: the blocks applied; alpha, gamma: their variables afterwards (Beta is never
    // named and keeps 1.5).
    void apply_data()
    {
        addRows<QByteArray, int, double, double>(
            {"text", "blocks", "alpha", "gamma"},
            {{"Gamma\n{\nV1:4\nR4:0x0C\n\n}\nUnknown\n{\nV1:99\n}\nAlpha\n{\nV1:-2.5\n\n}\n", 2,
              -2.5, 4},
             {"Alpha\n{\nV1:" + QByteArray(5000, '0') + "12.5\n}\n", 1, 12.5, 1.5},
             {"Alpha\r\n{\r\nV1:9\r\n\r\n}\r\n", 0, 1.5, 1.5},
             {"Alpha\n{\nV1:9\n", 0, 1.5, 1.5},
             {"Alpha\n}\n{\nV1:9\n}\n", 0, 1.5, 1.5},
             {"Alpha\n{\nV1:9\n{\nV1:8\n}\n", 1, 8, 1.5},
             {"Alpha\n{\n:::\nV1\nV1:1:2\n\x01\x02\n}\n", 1, 1.5, 1.5},
             {QByteArray("Al\0pha\n{\nV1:9\n}\n", 17), 0, 1.5, 1.5},
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
        if (blocks == 2) { // each block gives its applet its own lines only
            QCOMPARE(this->gamma->reg.value(true), 0xCu);
            QCOMPARE(this->alpha->reg.value(true), 0u);
        }
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
        QVERIFY(!ws.load("absent.bench"));
        QVERIFY(ws.read("asked.bench") && ws.errorString().isEmpty()); // nor a good read
        QVERIFY(::mkfifo("fifo.bench", 0600) == 0); // nobody writes it: not waited for
        QVERIFY(!ws.read("fifo.bench"));
        QCOMPARE(ws.errorString(), QString("fifo.bench is not a regular file"));

        QVERIFY(TestFiles::write("plain", "a file, not a folder"));
        prompt->queueChoices({"Alpha"});
        prompt->queueFile("plain/inside.bench");
        QVERIFY(!ws.save());
        QVERIFY(!ws.errorString().isEmpty());
        QCOMPARE(TestFiles::read("plain"), QByteArray("a file, not a folder"));
        QVERIFY(ws.write("written.bench", {"Alpha"}) && ws.errorString().isEmpty());
    }

    void menuEntriesKeepTheRealFileName()
    {
        for (const char *name : {"b1.bench", "A2.bench", "x.bench.bench", "notes.txt"})
            QVERIFY(TestFiles::write(name));
        QVERIFY(QDir().mkdir("folder.bench"));
        QStringList entries;
        for (const Workspace::MenuEntry &e : Workspace::menuEntries())
            entries.append(e.text + "=" + e.fileName);
        QCOMPARE(entries, QStringList({"A2=A2.bench", "b1=b1.bench", "x=x.bench.bench"}));
    }

private:
    // A null entry, as the program's table may hold, is skipped.
    Workspace workspace() const
    {
        return Workspace({alpha.get(), nullptr, beta.get(), gamma.get()});
    }

    std::unique_ptr<ConfigApplet> alpha, beta, gamma;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<QTemporaryDir> dir; // each case works in a folder of its own
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
