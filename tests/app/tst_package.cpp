// `cpack -G DEB` of this build tree: the package is named as the install page's line says,
// carries the programs and the matrix configuration, and depends on Qt's Wayland platform.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QString installSection()
{
    QFile file(qEnvironmentVariable("KVL_SOURCE_DIR") + "/docs/install.md");
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString page = QString::fromUtf8(file.readAll());
    const qsizetype start = page.indexOf("\n## Install\n");
    const qsizetype end = page.indexOf("\n## ", start + 1);
    return start < 0 ? QString() : page.mid(start, end < 0 ? -1 : end - start);
}

// A program's standard output, or "<failed: ...>" with what it said.
QByteArray run(const QString &program, const QStringList &arguments, const QString &dir = {})
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return "<failed: " + process.readAllStandardError() + process.readAllStandardOutput() + ">";
    return process.readAllStandardOutput();
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_out;
    QString m_package; // the file cpack wrote, by name

private slots:
    void initTestCase()
    {
        QVERIFY(m_out.isValid());
        const QByteArray said =
            run(KVL_CPACK_COMMAND,
                {"-G", "DEB", "--config", KVL_BUILD_DIR "/CPackConfig.cmake", "-B", m_out.path()},
                m_out.path());
        QVERIFY2(!said.startsWith("<failed"), said.constData());
        const QStringList packages = QDir(m_out.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(packages.size(), 1);
        m_package = packages.first();
    }

    // The install page's line takes the package cpack wrote, and the name it shows is that
    // package's but for the architecture.
    void installPageNamesThePackage()
    {
        const QString install = installSection();
        static const QRegularExpression aptLine("\\bsudo apt install \\./([^\\s`]+)");
        const QString pattern = aptLine.match(install).captured(1);
        QVERIFY2(!pattern.isEmpty(), "no \"sudo apt install ./...\" in docs/install.md's Install");
        const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression(pattern));
        QVERIFY2(glob.match(m_package).hasMatch(), qPrintable(pattern + " / " + m_package));
        static const QRegularExpression shown("`(kvl52110_[^`]+\\.deb)`");
        const QString name = shown.match(install).captured(1);
        QVERIFY2(glob.match(name).hasMatch(), qPrintable(name));
        QCOMPARE(name.section('_', 0, 1), m_package.section('_', 0, 1));
        QCOMPARE(m_package.section('_', 1, 1), QString(KVL_PROJECT_VERSION));
    }

    // Installed under /usr: both programs and the configuration the board page loads.
    void packageContents()
    {
        const QString listing = QString::fromUtf8(
            run("dpkg-deb", {"--contents", m_out.filePath(m_package)}, m_out.path()));
        for (const char *file : {"./usr/bin/kvl52110", "./usr/bin/kvl52110-cli",
                                 "./usr/share/kvl52110/configuration/Configuration12.txt",
                                 "./usr/share/applications/kvl52110.desktop"})
            QVERIFY2(listing.contains(QString(" %1\n").arg(file)), qPrintable(listing));
    }

    // It runs natively on a Wayland desktop, as it is tested there: it depends on Qt's Wayland
    // platform besides the libraries it links.
    void dependsOnTheWaylandPlatform()
    {
        const QStringList depends =
            QString::fromUtf8(
                run("dpkg-deb", {"--field", m_out.filePath(m_package), "Depends"}, m_out.path()))
                .trimmed()
                .split(QRegularExpression(",\\s*"));
        QVERIFY2(depends.contains("qt6-wayland"), qPrintable(depends.join('|')));
        QVERIFY2(depends.filter(QRegularExpression("^libqt6widgets6 ")).size() == 1,
                 qPrintable(depends.join('|')));
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
