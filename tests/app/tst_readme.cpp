// What the README and the pages of docs/ tell a newcomer to type works as written: socket
// examples carry typed values, the command-line client comes before Python, the benchmark loop
// runs only programs, the install route builds only what it installs, and the pictures of the
// tests do not land in the checkout unignored (but for the pictures the README shows). Every
// page is reached from the README, and every relative link leads to a file and heading there.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace
{

QString sourceFile(const QString &name)
{
    QFile file(qEnvironmentVariable("KVL_SOURCE_DIR") + "/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A page's section under the heading "## title", up to the next one.
QString section(const QString &readme, const QString &title)
{
    const qsizetype start = readme.indexOf("\n## " + title + "\n");
    if (start < 0)
        return QString();
    const qsizetype end = readme.indexOf("\n## ", start + 1);
    return readme.mid(start, end < 0 ? -1 : end - start);
}

bool writeProgram(const QString &path, const QByteArray &script)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size() &&
           file.setPermissions(file.permissions() | QFile::ExeOwner);
}

// The README and the pages of docs/, by their paths in the source tree.
QStringList pages()
{
    QStringList paths = {"README.md"};
    const QDir docs(qEnvironmentVariable("KVL_SOURCE_DIR") + "/docs");
    for (const QString &name : docs.entryList({"*.md"}, QDir::Files, QDir::Name))
        paths.append("docs/" + name);
    return paths;
}

// The anchor a heading's text gets: lower case, blanks as hyphens, other punctuation dropped.
QString anchor(const QString &heading)
{
    QString slug;
    for (const QChar c : heading.toLower())
        if (c.isLetterOrNumber() || c == '-' || c == '_')
            slug += c;
        else if (c == ' ')
            slug += '-';
    return slug;
}

QStringList anchors(const QString &page)
{
    static const QRegularExpression heading("^#+ (.+)$", QRegularExpression::MultilineOption);
    QStringList found;
    for (const QRegularExpressionMatch &m : heading.globalMatch(page))
        found.append(anchor(m.captured(1)));
    return found;
}

} // namespace

class TestReadme : public QObject
{
    Q_OBJECT

    QString readme;
    QString scriptsPage;
    QString developingPage;
    QString installPage;

private slots:
    void initTestCase()
    {
        readme = sourceFile("README.md");
        scriptsPage = sourceFile("docs/scripts.md");
        developingPage = sourceFile("docs/developing.md");
        installPage = sourceFile("docs/install.md");
        QVERIFY(!readme.isEmpty() && !scriptsPage.isEmpty() && !developingPage.isEmpty() &&
                !installPage.isEmpty());
    }

    // Every "run open" with a port writes it as a typed string, on every page.
    void runOpenTyped()
    {
        static const QRegularExpression open("run(?: |\\\\t|\\t)open(?: |\\\\t|\\t)+([^\\s`\"]+)");
        QString all;
        for (const QString &page : pages())
            all += sourceFile(page);
        int examples = 0;
        for (const QRegularExpressionMatch &m : open.globalMatch(all)) {
            ++examples;
            QVERIFY2(m.captured(1).startsWith('s'), qPrintable(m.captured(0)));
        }
        QVERIFY(examples >= 2);
    }

    // The scripts page shows the command-line client first, Python second.
    void clientBeforePython()
    {
        const QString &socket = scriptsPage;
        const qsizetype client = socket.indexOf("\n    kvl52110-cli ");
        const qsizetype python = socket.indexOf("\n    import ");
        QVERIFY(client > 0 && python > 0);
        QVERIFY(client < python);
        QVERIFY(socket.contains("kvl52110-cli -"));
    }

    // The benchmark loop, run as written in a tree with a benchmark and its build folder, runs
    // the one and skips the other.
    void benchLoopSkipsFolders()
    {
        static const QRegularExpression loop("^    (for b in build/bench/bench_\\*.*)$",
                                             QRegularExpression::MultilineOption);
        const QString command = loop.match(developingPage).captured(1);
        QVERIFY(!command.isEmpty());
        QVERIFY(QDir().mkpath("tree/build/bench/bench_demo_autogen"));
        QVERIFY(writeProgram("tree/build/bench/bench_demo", "#!/bin/sh\necho ran >> ran.txt\n"));
        QProcess shell;
        shell.setWorkingDirectory(QDir::current().absoluteFilePath("tree"));
        shell.start("/bin/sh", {"-c", command});
        QVERIFY(shell.waitForFinished(20000));
        QCOMPARE(shell.readAllStandardError(), QByteArray());
        QCOMPARE(shell.exitCode(), 0);
        QFile ran("tree/ran.txt");
        QVERIFY(ran.open(QIODevice::ReadOnly));
        QCOMPARE(ran.readAll(), QByteArray("ran\n"));
    }

    // The install route's tree, configured as the install page writes it (here, in this test's own
    // folder), builds the two programs and none of the tests, benchmarks or the simulator; its
    // build, install and package lines take that tree.
    void installRouteBuildsOnlyThePrograms()
    {
        const QString install = section(installPage, "Install");
        static const QRegularExpression configureLine("^    cmake (-S \\. -B (\\S+) .*)$",
                                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch route = configureLine.match(install);
        QVERIFY(route.hasMatch());
        const QString tree = route.captured(2);
        const QStringList lines = {"\n    cmake --build " + tree + "\n",
                                   "\n    sudo cmake --install " + tree + " ",
                                   "`cd " + tree + " && cpack -G DEB`"};
        for (const QString &line : lines)
            QVERIFY2(install.contains(line), qPrintable(line));

        const QString here = QDir::current().absoluteFilePath("install-tree");
        const QString cmakeCommand = "'" KVL_CMAKE_COMMAND "' ";
        QString configure = cmakeCommand + route.captured(1);
        configure.replace(" -B " + tree + " ", " -B '" + here + "' ");
        const QString targets = cmakeCommand + "--build '" + here + "' --target help";
        QProcess cmake;
        cmake.setWorkingDirectory(qEnvironmentVariable("KVL_SOURCE_DIR"));
        cmake.setProcessChannelMode(QProcess::MergedChannels);
        cmake.start("/bin/sh", {"-c", configure + " && " + targets});
        QVERIFY(cmake.waitForFinished(120000));
        const QString said = QString::fromLocal8Bit(cmake.readAll());
        QVERIFY2(cmake.exitCode() == 0, qPrintable(said));
        static const QRegularExpression target("^([\\w-]+): phony$",
                                               QRegularExpression::MultilineOption);
        QStringList built;
        for (const QRegularExpressionMatch &m : target.globalMatch(said))
            built.append(m.captured(1));
        QVERIFY(built.contains("kvl52110") && built.contains("kvl52110-cli"));
        static const QRegularExpression notInstalled("^(tst_|bench_|fakeboard|testsupport)");
        QVERIFY2(built.filter(notInstalled).isEmpty(),
                 qPrintable(built.filter(notInstalled).join(' ')));
    }

    // Each folder the pictures go to is outside the checkout or ignored by git, but for docs/,
    // whose pictures the README shows and git keeps.
    void picturesOutsideOrIgnored()
    {
        static const QRegularExpression shots("KVL_FORM_SHOTS=(\\S+)");
        const QStringList ignores = sourceFile(".gitignore").split('\n');
        int folders = 0;
        for (auto it = shots.globalMatch(developingPage); it.hasNext(); ++folders) {
            const QString folder = it.next().captured(1);
            if (!folder.startsWith("$PWD/") || folder == "$PWD/docs")
                continue;
            const QString ignored = "/" + folder.mid(5).section('/', 0, 0) + "/";
            QVERIFY2(ignores.contains(ignored), qPrintable(ignored));
        }
        QVERIFY(folders >= 2);
        const QString source = qEnvironmentVariable("KVL_SOURCE_DIR");
        for (const char *picture : {"board-page.png", "log.png"})
            QVERIFY2(readme.contains(QString("(docs/%1)").arg(picture)) &&
                         QFile::exists(source + "/docs/" + picture),
                     picture);
    }

    // Every relative link of the README and of docs/ names a file that exists and, after "#",
    // a heading of that page; the README links every page of docs/.
    void linksResolve()
    {
        // [text](target) outside indented code; an image's "![...]" is a link too.
        static const QRegularExpression link("\\]\\(([^)\\s]+)\\)");
        static const QRegularExpression code("^    .*$", QRegularExpression::MultilineOption);
        const QDir source(qEnvironmentVariable("KVL_SOURCE_DIR"));
        QStringList reached;
        for (const QString &path : pages()) {
            const QString page = sourceFile(path);
            QVERIFY2(!page.isEmpty(), qPrintable(path));
            const QString folder = QFileInfo(path).path();
            for (const QRegularExpressionMatch &m : link.globalMatch(QString(page).remove(code))) {
                const QString target = m.captured(1);
                if (target.contains("://") || target.startsWith("mailto:"))
                    continue;
                const QString file = target.section('#', 0, 0);
                const QString named = file.isEmpty() ? path : QDir::cleanPath(folder + "/" + file);
                const QString where = path + ": " + target;
                QVERIFY2(source.exists(named), qPrintable(where));
                if (target.contains('#'))
                    QVERIFY2(anchors(sourceFile(named)).contains(target.section('#', 1)),
                             qPrintable(where));
                if (path == "README.md")
                    reached.append(named);
            }
        }
        for (const QString &path : pages())
            QVERIFY2(path == "README.md" || reached.contains(path), qPrintable(path));
    }
};

QTEST_MAIN(TestReadme)
#include "tst_readme.moc"
