// Text from outside the program that looks like markup, naming pictures that would stop or flood
// the program (a FIFO that nobody writes, /dev/zero, also spelt without a "/" as a file name can
// hold it), on every surface that shows such text: the board page's labels, the program's boxes
// and questions, and a refusal that names a path, at a connection and with nobody to answer.
// Each shows the text as it is, no picture is loaded, and the program goes on.
#include "scriptcsv.h"
#include "setupappfixture.h"
#include "whenmodal.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString FifoPicture = QStringLiteral("<img src=fifo>"); // in the working folder
const QString ZeroPicture = QStringLiteral("<img src=/dev/zero>");
const QStringList NameMarkups{FifoPicture, QStringLiteral("<img src=&#47;dev&#47;zero>")};

// Turns a hang on the FIFO into a failure: once the bound has passed, a reader waiting there is
// let go (the writing end opened and closed: it reads the end) and counted.
struct FifoRelease {
    std::atomic<bool> stop{false};
    std::atomic<int> released{0};
    std::thread watch;
    FifoRelease(const char *path, int boundMs)
        : watch([this, path, boundMs]() {
              for (const QDeadlineTimer bound(boundMs); !stop; QThread::msleep(10)) {
                  const int writer = bound.hasExpired() ? ::open(path, O_WRONLY | O_NONBLOCK) : -1;
                  if (writer >= 0 && ::close(writer) == 0)
                      ++released;
              }
          })
    {
    }
    ~FifoRelease()
    {
        stop = true;
        watch.join();
    }
};

// The texts of a label, or of a dialog's labels, each laid out and drawn; one that is not plain
// text is marked " (!)".
QStringList labelTexts(QWidget *widget)
{
    widget->grab();
    QList<QLabel *> labels = widget->findChildren<QLabel *>();
    if (auto *label = qobject_cast<QLabel *>(widget))
        labels.prepend(label);
    QStringList texts;
    for (const QLabel *label : std::as_const(labels))
        if (!label->text().isEmpty())
            texts << label->text() + (label->textFormat() == Qt::PlainText ? "" : " (!)");
    return texts;
}

// Answers the next modal dialog (a box with its first button, another dialog accepted); its
// labels go to *shown.
void answerNextModal(QStringList *shown)
{
    whenModal([shown](QWidget *dialog) {
        *shown = labelTexts(dialog);
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            box->buttons().value(0)->click();
        else
            static_cast<QDialog *>(dialog)->accept();
    });
}

// The program's own dialogs; a file dialog gives the file set before.
struct PickingPrompt : WidgetPrompt {
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return std::exchange(next, QString());
    }
    QString next;
};

} // namespace

class TestOutsideText : public QObject
{
    Q_OBJECT

    SetupAppFixture f;
    PickingPrompt widgets;
    std::unique_ptr<FifoRelease> release;

private slots:
    void initTestCase()
    {
        QVERIFY(::mkfifo("fifo", 0600) == 0);
        release = std::make_unique<FifoRelease>("fifo", 20000);
        QVERIFY(f.start());
        Prompt::install(&widgets);
    }
    void cleanupTestCase() { Prompt::install(&f.prompt); }
    void cleanup() { QCOMPARE(release->released.load(), 0); } // nobody opened the FIFO

    // A CSV named as markup and describing itself with it; a script list in a folder so named.
    void boardPageLabels()
    {
        auto *name = f.widget<QLabel>("lbCSV");
        const QByteArray script = ScriptCsv::script(1, "5", ScriptCsv::steps(1, 1));
        for (const QString &markup : NameMarkups) {
            widgets.next = QDir::current().absoluteFilePath(markup + ".csv");
            QVERIFY(TestFiles::write(widgets.next,
                                     QByteArray(script).replace("Wave", "<img src=/dev/zero>")));
            f.page()->on_pbLoadCSV_clicked();
            QCOMPARE(labelTexts(name),
                     QStringList(QDir::current().absoluteFilePath(markup + ".csv")));
            QCOMPARE(labelTexts(f.widget<QLabel>("lbDescription")),
                     QStringList("Description: " + ZeroPicture));
        }
        const QString list = QDir::current().absoluteFilePath(FifoPicture + "/l.script");
        QVERIFY(QDir().mkpath(FifoPicture) && TestFiles::write(FifoPicture + "/a.csv", script) &&
                TestFiles::write(list, "file0=a.csv\n"));
        widgets.next = list;
        f.page()->on_pbLoadScript_clicked();
        QCOMPARE(labelTexts(name), QStringList(QFileInfo(list).absolutePath() + "/a.csv"));
    }

    // Every picture a style sheet names is the program's own: a relative name would be read
    // from the working folder as the program paints.
    void stylePicturesAreResources()
    {
        const QRegularExpression url(QStringLiteral("url\\(\\s*([^):]*)\\)"));
        QString sheets = qApp->styleSheet();
        for (const QWidget *w : QApplication::allWidgets())
            sheets += w->styleSheet();
        QVERIFY(sheets.contains("url(:/board/images/")); // the board page's are there
        QCOMPARE(url.match(sheets).captured(1), QString());
    }

    // Boxes and questions show their texts as they are.
    void promptsAndBoxes()
    {
        for (const QString &markup :
             {FifoPicture, ZeroPicture, QString("<font color=red>!</font>")}) {
            QStringList shown;
            answerNextModal(&shown);
            Prompt::Message message;
            message.title = message.text = markup;
            message.informativeText = markup + "!";
            Prompt::show(message);
            QCOMPARE(shown, (QStringList{markup, markup + "!"}));
            // Each question's label is the one the question before showed: the last shows what
            // all three did.
            bool ok = false;
            answerNextModal(&shown);
            QCOMPARE(Prompt::text(markup, markup, markup, &ok), markup);
            answerNextModal(&shown);
            QCOMPARE(Prompt::item(markup, shown.value(0), {"a", markup}, 1, &ok), markup);
            answerNextModal(&shown);
            QCOMPARE(Prompt::integer(markup, shown.value(0), 3, 0, 9, 1, &ok), 3);
            QCOMPARE(shown, QStringList(markup));
        }
    }

    // The matrix configuration that each connection loads, refused in a bench folder named as
    // markup, is named in a box: to a person connecting, and to nobody (a box that does not wait).
    void refusalNamingAPath()
    {
        const ProgramFiles before = ProgramFiles::ofThisProcess();
        for (const QString &markup : NameMarkups) {
            ProgramFiles::Places bench;
            bench.workingDir = QDir::current().absoluteFilePath(markup);
            QVERIFY(QDir().mkpath(markup));
            f.app->setProgramFiles(ProgramFiles(bench));
            const QString refused =
                "Cannot read the matrix configuration file: " + bench.workingDir +
                "/configuration/Configuration12.txt";
            QStringList shown;
            answerNextModal(&shown);
            QVERIFY(f.connectFresh());
            QVERIFY2(shown.value(0).startsWith(refused) && !shown.value(0).endsWith("(!)"),
                     qPrintable(shown.join('|')));
            Prompt::setUnattended(true);
            QVERIFY(f.connectFresh());
            Prompt::setUnattended(false);
            QMessageBox *box = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && qobject_cast<QMessageBox *>(w))
                    box = static_cast<QMessageBox *>(w);
            QVERIFY(box);
            shown = labelTexts(box);
            QVERIFY2(shown.value(0).startsWith(refused) && !shown.value(0).endsWith("(!)"),
                     qPrintable(shown.join('|')));
            box->close();
        }
        f.app->setProgramFiles(before);
    }
};

QTEST_MAIN(TestOutsideText)
#include "tst_outsidetext.moc"
