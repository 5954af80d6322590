// Text from outside the program that looks like markup, naming pictures that would stop or flood
// the program (a FIFO that nobody writes, /dev/zero, also spelt without a "/" as a file name can
// hold it), on every surface that shows such text: the board page's labels, the program's boxes
// and questions, and a refusal that names a path, at a connection and with nobody to answer.
// Each shows the text as it is, no picture is loaded, and the program goes on.
#include "bootloader.h"
#include "scriptcsv.h"
#include "setupappfixture.h"
#include "testfiles.h"
#include "whenmodal.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString FifoPicture = QStringLiteral("<img src=fifo>"); // in the working folder
const QString ZeroPicture = QStringLiteral("<img src=/dev/zero>");
const QString ZeroInName = QStringLiteral("<img src=&#47;dev&#47;zero>");
const QStringList Markups{FifoPicture, ZeroPicture, ZeroInName,
                          QStringLiteral("<font color=red>Error</font>")};
const QStringList NameMarkups{FifoPicture, ZeroInName};

// Turns a hang on the FIFO into a failure: once the bound has passed, it opens the FIFO's
// writing end whenever a reader waits there, so that the reader reads its end and goes on, and
// counts each time. A FIFO that nobody opens to read is never released.
class FifoRelease
{
public:
    FifoRelease(const QString &path, std::chrono::milliseconds bound)
        : m_path(QFile::encodeName(path)), m_bound(bound), m_thread([this]() { run(); })
    {
    }
    ~FifoRelease()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    int released() const { return m_released.load(); }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto stopped = [this]() { return m_stop; };
        if (m_wake.wait_for(lock, m_bound, stopped))
            return;
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(10), stopped)) {
            const int writer = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ++m_released;
                ::close(writer);
            }
        }
    }

    const QByteArray m_path;
    const std::chrono::milliseconds m_bound;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<int> m_released{0};
    std::thread m_thread;
};

// What is wrong with how label shows text: empty when it shows the text as plain text. The
// label is drawn, which lays its text out.
QString shownWrongly(QLabel *label, const QString &text)
{
    label->grab();
    if (label->text() != text)
        return QStringLiteral("shows \"%1\" for \"%2\"").arg(label->text(), text);
    if (label->textFormat() != Qt::PlainText)
        return QStringLiteral("\"%1\" is not plain text").arg(text);
    return QString();
}

// The texts of a box or dialog's labels, each drawn; a label that is not plain text is marked.
QStringList labelTexts(QWidget *dialog)
{
    dialog->grab();
    QStringList texts;
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        texts << label->text() +
                     (label->textFormat() == Qt::PlainText ? QString() : QStringLiteral(" (!)"));
    }
    return texts;
}

// The boxes shown without waiting, by their labels, closed.
QList<QStringList> takeNotices()
{
    QList<QStringList> notices;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
            notices << labelTexts(box);
            box->close();
        }
    }
    return notices;
}

// Answers the next modal dialog (a box with its default button, another dialog accepted); its
// labels, each drawn, go to *shown.
void answerNextModal(QStringList *shown)
{
    whenModal([shown](QWidget *dialog) {
        *shown = labelTexts(dialog);
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            (box->defaultButton() ? box->defaultButton() : box->buttons().value(0))->click();
        else
            static_cast<QDialog *>(dialog)->accept();
    });
}

// The program's own dialogs; a file dialog gives the file set before.
class PickingPrompt : public WidgetPrompt
{
public:
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
    int releasedBefore = 0;

private slots:
    void initTestCase()
    {
        QVERIFY(::mkfifo("fifo", 0600) == 0);
        release = std::make_unique<FifoRelease>(QStringLiteral("fifo"), std::chrono::seconds(20));
        QVERIFY(f.start());
        Prompt::install(&widgets);
    }
    void cleanupTestCase()
    {
        takeNotices();
        Prompt::install(&f.prompt);
    }
    // The FIFO was never opened to read (checked once for each test function).
    void cleanup()
    {
        const int released = release->released();
        QCOMPARE(released - std::exchange(releasedBefore, released), 0);
    }

    // A CSV named as markup and describing itself with it; a script list in a folder so named.
    void boardPageLabels()
    {
        auto *name = f.widget<QLabel>("lbCSV");
        auto *description = f.widget<QLabel>("lbDescription");
        for (const QString &markup : NameMarkups) {
            const QString csv = QDir::current().absoluteFilePath(markup + ".csv");
            QVERIFY(TestFiles::write(csv, ScriptCsv::script(1, "5", ScriptCsv::steps(1, 1))
                                              .replace("Wave", ZeroPicture.toUtf8())));
            widgets.next = csv;
            f.page()->on_pbLoadCSV_clicked();
            QCOMPARE(shownWrongly(name, csv), QString());
            QCOMPARE(shownWrongly(description, "Description: " + ZeroPicture), QString());
        }
        QVERIFY(QDir().mkpath(FifoPicture));
        QVERIFY(TestFiles::write(FifoPicture + "/a.csv",
                                 ScriptCsv::script(1, "5", ScriptCsv::steps(1, 1))));
        QVERIFY(TestFiles::write(FifoPicture + "/l.script", "file0=a.csv\n"));
        widgets.next = QDir::current().absoluteFilePath(FifoPicture + "/l.script");
        f.page()->on_pbLoadScript_clicked();
        QCOMPARE(shownWrongly(name, QDir::current().absoluteFilePath(FifoPicture + "/a.csv")),
                 QString());
    }

    // Every picture that a style sheet names is the program's own: a relative name would be
    // read from the working folder, where a FIFO would stop the program as it paints.
    void stylePicturesAreResources()
    {
        QStringList foreign;
        const QRegularExpression url(QStringLiteral("url\\(\\s*([^)]*)\\)"));
        const QWidgetList widgets = QApplication::allWidgets();
        QStringList sheets{qApp->styleSheet()};
        for (const QWidget *w : widgets)
            sheets << w->styleSheet();
        for (const QString &sheet : std::as_const(sheets))
            for (const QRegularExpressionMatch &m : url.globalMatch(sheet))
                if (!m.captured(1).startsWith(QLatin1String(":/")))
                    foreign << m.captured(1);
        QVERIFY(widgets.size() > 1000); // the tool windows are built
        QCOMPARE(foreign, QStringList());
    }

    // Boxes (waited for, and shown without waiting) and questions, the markup in each text.
    void promptsAndBoxes()
    {
        for (const QString &markup : Markups) {
            QStringList shown;
            answerNextModal(&shown);
            Prompt::Message message;
            message.icon = Prompt::Critical;
            message.title = markup;
            message.text = markup;
            message.informativeText = "Informative " + markup;
            Prompt::show(message);
            QCOMPARE(shown, (QStringList{markup, "Informative " + markup}));
            {
                const Prompt::Unattended nobody;
                Prompt::warn(markup, markup + " shown");
            }
            QCOMPARE(takeNotices(), QList<QStringList>{{markup + " shown"}});
            bool ok = false;
            answerNextModal(&shown);
            QCOMPARE(Prompt::text(markup, "Text " + markup, markup, &ok), markup);
            QCOMPARE(shown, QStringList{"Text " + markup});
            answerNextModal(&shown);
            QCOMPARE(Prompt::item(markup, "Item " + markup, {"a", markup}, 1, &ok), markup);
            QCOMPARE(shown, QStringList{"Item " + markup});
            answerNextModal(&shown);
            QCOMPARE(Prompt::integer(markup, "Number " + markup, 3, 0, 9, 1, &ok), 3);
            QCOMPARE(shown, QStringList{"Number " + markup});
        }
    }

    // A refused file named in a box: the matrix configuration that each connection loads from a
    // bench folder named as markup, a person connecting and nobody; a HEX file so named.
    void refusalNamingAPath()
    {
        const ProgramFiles before = ProgramFiles::ofThisProcess();
        for (const QString &markup : NameMarkups) {
            QVERIFY(QDir().mkpath(markup));
            ProgramFiles::Places bench;
            bench.workingDir = QDir::current().absoluteFilePath(markup);
            f.app->setProgramFiles(ProgramFiles(bench));
            const QString missing = bench.workingDir + "/configuration/Configuration12.txt";
            QStringList shown;
            answerNextModal(&shown);
            QVERIFY(f.connectFresh());
            QVERIFY2(!shown.isEmpty() && shown.first().contains(missing) &&
                         !shown.first().endsWith("(!)"),
                     qPrintable(shown.join('|')));
            Prompt::setUnattended(true);
            const bool connected = f.connectFresh();
            Prompt::setUnattended(false);
            QVERIFY(connected);
            const QList<QStringList> notices = takeNotices();
            QVERIFY2(notices.size() == 1 && notices.first().size() == 1 &&
                         notices.first().first().contains(missing) &&
                         !notices.first().first().endsWith("(!)"),
                     qPrintable(notices.value(0).join('|')));
        }
        f.app->setProgramFiles(before);

        Bootloader window(f.app->controlBoard());
        const QString hex = QDir::current().absoluteFilePath(ZeroInName + ".hex");
        QVERIFY(QDir().mkpath(hex)); // no regular file
        QStringList shown;
        answerNextModal(&shown);
        QVERIFY(!window.loadHex(hex));
        QCOMPARE(shown, QStringList{hex + " is not a regular file"});
    }
};

QTEST_MAIN(TestOutsideText)
#include "tst_outsidetext.moc"
