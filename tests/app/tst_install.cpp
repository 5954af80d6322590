// `cmake --install` of this build tree into a temporary prefix: the files it puts in place, the
// desktop entry (as desktop-file-validate judges it), the icon the entry names and the udev
// rule for the board's port.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(KVL_CMAKE_COMMAND),
                      {"--install", KVL_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void installedFiles()
    {
        QStringList files;
        QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(m_prefix.path()).relativeFilePath(it.next()));
        files.sort();
        QStringList expected{"bin/kvl52110",
                             "lib/udev/rules.d/70-kvl52110.rules",
                             "share/applications/kvl52110.desktop",
                             "share/icons/hicolor/256x256/apps/kvl52110.png",
                             "share/icons/hicolor/64x64/apps/kvl52110.png"};
#ifdef KVL_HAVE_CLI
        expected.insert(1, QStringLiteral("bin/kvl52110-cli"));
#endif
        QCOMPARE(files, expected);
        for (const QString &program : files.filter(QRegularExpression("^bin/")))
            QVERIFY(QFileInfo(m_prefix.filePath(program)).isExecutable());
    }

    void desktopEntryIsValid()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate (package desktop-file-utils) missing");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {m_prefix.filePath("share/applications/kvl52110.desktop")});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray said = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && said.isEmpty(), said.constData());
    }

    // The entry starts an installed program and names an icon of the theme, at the size of
    // each folder it lies in.
    void entryNamesInstalledProgramAndIcon()
    {
        QSettings entry(m_prefix.filePath("share/applications/kvl52110.desktop"),
                        QSettings::IniFormat);
        entry.beginGroup("Desktop Entry");
        const QString exec = entry.value("Exec").toString();
        const QString icon = entry.value("Icon").toString();
        QCOMPARE(exec, QString("kvl52110"));
        QVERIFY(QFileInfo(m_prefix.filePath("bin/" + exec)).isExecutable());
        QVERIFY(!icon.isEmpty());
        int found = 0;
        for (int size : {64, 256}) {
            const QImage image(m_prefix.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon)));
            QCOMPARE(image.size(), QSize(size, size));
            found += image.hasAlphaChannel() && image.pixelColor(size / 2, size / 2).alpha() == 255;
        }
        QCOMPARE(found, 2);
    }

    // One rule: the board's serial port for the group dialout, out of ModemManager's reach.
    void udevRule()
    {
        QFile file(m_prefix.filePath("lib/udev/rules.d/70-kvl52110.rules"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList rules;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith('#'))
                rules.append(QString::fromUtf8(line));
        }
        QCOMPARE(rules.size(), 1);
        const QStringList keys = rules.first().split(QStringLiteral(", "));
        for (const char *key : {"SUBSYSTEM==\"tty\"", "GROUP=\"dialout\"",
                                "ENV{ID_MM_DEVICE_IGNORE}=\"1\"", "ATTRS{bInterfaceClass}==\"02\""})
            QVERIFY2(keys.contains(QString::fromLatin1(key)), key);
    }

private:
    QTemporaryDir m_prefix;
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
