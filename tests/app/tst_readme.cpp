// What the README tells a newcomer to type works as written: socket examples carry typed
// values, the command-line client comes before Python, the benchmark loop runs only programs,
// the install route builds only what it installs, and the pictures of the tests do not land in
// the checkout unignored (but for the pictures the README shows).
#include <QDir>
#include <QFile>
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

// The README's section under the heading "## title", up to the next one.
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

} // namespace

class TestReadme : public QObject
{
    Q_OBJECT

    QString readme;

private slots:
    void initTestCase()
    {
        readme = sourceFile("README.md");
        QVERIFY(!readme.isEmpty());
    }

    // Every "run open" with a port writes it as a typed string.
    void runOpenTyped()
    {
        static const QRegularExpression open("run(?: |\\\\t|\\t)open(?: |\\\\t|\\t)+([^\\s`\"]+)");
        int examples = 0;
        for (const QRegularExpressionMatch &m : open.globalMatch(readme)) {
            ++examples;
            QVERIFY2(m.captured(1).startsWith('s'), qPrintable(m.captured(0)));
        }
        QVERIFY(examples >= 2);
    }

    // The socket section shows the command-line client first, Python second.
    void clientBeforePython()
    {
        const QString socket = section(readme, "Command socket");
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
        const QString command = loop.match(readme).captured(1);
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

    // The install route's tree, configured as the README writes it (here, in this test's own
    // folder), builds the two programs and none of the tests, benchmarks or the simulator; its
    // build, install and package lines take that tree.
    void installRouteBuildsOnlyThePrograms()
    {
        const QString install = section(readme, "Install");
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
        for (auto it = shots.globalMatch(readme); it.hasNext(); ++folders) {
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
};

QTEST_MAIN(TestReadme)
#include "tst_readme.moc"
