// The program options file: the exact text written, values read back, every other line kept,
// section headers found whatever blanks or byte-order marks stand before them.
#include "asnobody.h"
#include "mainapp.h"
#include "optionsfile.h"
#include "privatefile.h"
#include "pythonrunner.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QSettings>
#include <QtTest>

#include <sys/stat.h>

static const QString Path = QStringLiteral("options.ini");
using Options = QHash<QString, QVariant>;

// A hash, as the program keeps them: the order written must not depend on it.
static Options defaults()
{
    return {{"comm_timeout", 50},       {"updater_path", QStringLiteral("updater")},
            {"spec_path", QString()},   {"script_path", QString()},
            {"python_path", "python3"}, {"ignore_version", false}};
}

// The options after loading the file over the defaults, as "timeout|ignore|python|spec".
static QString loaded()
{
    Options options = defaults();
    QString error;
    if (!OptionsFile::load(Path, &options, &error))
        return "failed: " + error;
    return QStringLiteral("%1|%2|%3|%4")
        .arg(options.value("comm_timeout").toString(), options.value("ignore_version").toString(),
             options.value("python_path").toString(), options.value("spec_path").toString());
}

static const QByteArray Written =
    "comm_timeout=50\nupdater_path=updater\nspec_path=\nscript_path=\n"
    "python_path=python3\nignore_version=false\n";

class TestOptionsFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(Path); }

    // before: the file; load: what loading finds; after: the file saved with the defaults.
    void loadAndSave_data()
    {
        const QString plain = "50|false|python3|";
        addRows<QByteArray, QString, QByteArray>(
            {"before", "load", "after"},
            {{"", plain, "[General]\n" + Written},
             {"[General]\nignore_version=true\ncomm_timeout=100\npython_path = /usr/bin/py \n"
              "foreign=kept\n\n[Other]\nspec_path=not/general.pdf\n",
              "100|true|/usr/bin/py|",
              "[General]\nignore_version=false\ncomm_timeout=50\npython_path =python3\n"
              "foreign=kept\nupdater_path=updater\nspec_path=\nscript_path=\n\n[Other]\n"
              "spec_path=not/general.pdf\n"},
             {"; by hand\n[General]\ncomm_timeout = 12\nno equals sign\n", "12|false|python3|",
              "; by hand\n[General]\ncomm_timeout =50\nno equals sign\nupdater_path=updater\n"
              "spec_path=\nscript_path=\npython_path=python3\nignore_version=false\n"},
             {"python_path=/opt/py\n\n[Other]\nx=y\n", "50|false|/opt/py|",
              "python_path=python3\ncomm_timeout=50\nupdater_path=updater\nspec_path=\n"
              "script_path=\nignore_version=false\n\n[Other]\nx=y\n"},
             {"[Other]\nx=y\n", plain, "[General]\n" + Written + "\n[Other]\nx=y\n"},
             {"[Other]\n", plain, "[General]\n" + Written + "\n[Other]\n"},
             {"[General]\n[Other]\nx=y\n", plain, "[General]\n" + Written + "[Other]\nx=y\n"},
             {"[General]\r\ncomm_timeout=1\r\n", "1|false|python3|",
              "[General]\r\ncomm_timeout=50\r\nupdater_path=updater\r\nspec_path=\r\n"
              "script_path=\r\npython_path=python3\r\nignore_version=false\r\n"},
             // Headers after blanks and byte-order marks, as found in use.
             {"[General]\nignore_version=true\n\xC2\xA0[Other]\ny=2\n", "50|true|python3|",
              "[General]\nignore_version=false\ncomm_timeout=50\nupdater_path=updater\n"
              "spec_path=\nscript_path=\npython_path=python3\n\xC2\xA0[Other]\ny=2\n"},
             {"\xEF\xBB\xBF\xEF\xBB\xBF[Other]\ncomm_timeout=5\n", plain,
              "\xEF\xBB\xBF[General]\n" + Written + "\n\xEF\xBB\xBF[Other]\ncomm_timeout=5\n"},
             {"[General]\ncomm_timeout=1\n\xC2\xA0\n[Other]\nx=1\n", "1|false|python3|",
              "[General]\n" + Written + "\xC2\xA0\n[Other]\nx=1\n"},
             {"\xEF\xBB\xBF[General]\ncomm_timeout=7\n", "7|false|python3|", ""},
             {"[General]\ncomm_timeout=7\n\xEF\xBB\xBF[Other]\ncomm_timeout=9\n",
              "7|false|python3|", ""},
             {"[Other]\ncomm_timeout=9\n\t[General]\ncomm_timeout=7\n", "7|false|python3|", ""},
             {"[Other]\ncomm_timeout=9\n[General\ncomm_timeout=7\n", "7|false|python3|", ""},
             {"spec_path=dir\\\n", "50|false|python3|dir\\", ""}, // a lone "\" at the end
             {"[General]\n comm_timeout = 7\n", "7|false|python3|",
              "[General]\n comm_timeout =50\nupdater_path=updater\nspec_path=\nscript_path=\n"
              "python_path=python3\nignore_version=false\n"},
             // New keys join the first general section.
             {"[General]\ncomm_timeout=3\n[Other]\nx=1\n[General]\ny=2\n", "3|false|python3|",
              "[General]\n" + Written + "[Other]\nx=1\n[General]\ny=2\n"},
             {"[General]\nspec_path=\xEF\xBB\xBF"
              "a.pdf\n",
              "50|false|python3|\uFEFFa.pdf", ""}});
    }

    // Saving writes the options where loading finds them again and keeps every foreign line.
    void loadAndSave()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, load);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            QVERIFY(TestFiles::write(Path, before));
        QCOMPARE(loaded(), load);
        QString error;
        if (!after.isEmpty()) {
            QVERIFY(OptionsFile::save(Path, defaults(), &error));
            QCOMPARE(TestFiles::read(Path), after);
            return;
        }
        Options options = defaults();
        options.insert("comm_timeout", 77);
        options.insert("spec_path", "saved.pdf");
        QVERIFY(OptionsFile::save(Path, options, &error));
        QCOMPARE(loaded(), "77|" + load.section('|', 1, 1) + "|python3|saved.pdf");
        for (const QByteArray &line : before.split('\n')) {
            const QByteArray plain = QByteArray(line).replace("\xEF\xBB\xBF", "");
            if (!line.contains("comm_timeout=7") && !line.contains("spec_path"))
                QVERIFY2(TestFiles::read(Path).contains(plain), plain.constData());
        }
    }

    // The file follows QSettings' INI format, both ways, keys included.
    void qsettingsCompatibleBothWays()
    {
        const QStringList texts = {"a, b;c=d", "  padded ", "@Invalid()",
                                   "C:\\dir\\\"q\"", "one\ntwo\r", "jürgen µC",
                                   "c\x01" "ab\x1f" "09", "semi;colon", "upper", "last Latin-1",
                                   "first beyond", "bounds"};
        // The "=" escaped, or it would end the key; Latin-1 as %XX, beyond it as %UXXXX.
        const QStringList keys = {"k0", "odd key", QString("k") + QChar(0x20AC), "k3", "k-4.x",
                                  "k5", "k=6", "k7", "AZ", QString("k") + QChar(0xFF),
                                  QString("k") + QChar(0x100), "az9"};
        Options options;
        for (int i = 0; i < texts.size(); ++i)
            options.insert(keys.at(i), texts.at(i));
        QString error;
        QVERIFY(OptionsFile::save(Path, options, &error));
        const QByteArray ours = TestFiles::read(Path);
        for (const char c : ours) // control characters are escaped, line ends too
            QVERIFY2(uchar(c) >= 0x20 || c == '\n', ours.constData());
        QVERIFY(ours.contains("\nk5=jürgen µC\n")); // a space within a value as it is
        QStringList written; // keys the program does not know, in sorted order
        for (const QByteArray &line : ours.split('\n'))
            written.append(QString::fromLatin1(line.left(line.indexOf('='))));
        QCOMPARE(written.join(" "),
                 QString(" AZ az9 k-4.x k0 k3 k5 k7 k%3D6 k%FF k%U0100 k%U20AC odd%20key "));
        {
            QSettings settings(Path, QSettings::IniFormat);
            for (int i = 0; i < texts.size(); ++i)
                QCOMPARE(settings.value(keys.at(i)).toString(), texts.at(i));
        }
        QFile::remove(Path);
        {
            QSettings settings(Path, QSettings::IniFormat);
            for (int i = 0; i < texts.size(); ++i)
                settings.setValue(keys.at(i), texts.at(i));
            settings.setValue("nothing", QVariant());
            settings.setValue("bytes", QByteArray("a(b)"));
        }
        Options values;
        QVERIFY(OptionsFile::read(Path, &values, &error));
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(values.value(keys.at(i)).toString(), texts.at(i));
        QVERIFY(values.contains("nothing") && !values.value("nothing").isValid());
        QCOMPARE(values.value("bytes").toString(), QString("a(b)"));
        // An "@" form that does not end is text, as QSettings reads it.
        QVERIFY(TestFiles::write(Path, "open=@ByteArray(ab\n"));
        QVERIFY(OptionsFile::read(Path, &values, &error));
        QCOMPARE(values.value("open"), QVariant("@ByteArray(ab"));
        QCOMPARE(QSettings(Path, QSettings::IniFormat).value("open"), values.value("open"));
        for (const QString value : {"\uFEFFdoc.pdf", "\uFEFF\uFEFFx\uFEFF", "\u00A0x", "[Other]"}) {
            options = defaults(); // blanks and marks that could pass for a header's stay
            options.insert("spec_path", value);
            QVERIFY(OptionsFile::save(Path, options, &error));
            QCOMPARE(loaded(), "50|false|python3|" + value);
        }
    }

    void unreadableFileIsReportedAndNotOverwritten()
    {
        QVERIFY(QDir().mkdir(Path)); // a directory in the file's place
        Options options = defaults();
        QString error;
        QVERIFY(!OptionsFile::load(Path, &options, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(options, defaults());
        error.clear();
        QVERIFY(!OptionsFile::save(Path, options, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QDir().rmdir(Path));
        // A file larger than options ever take is not read whole, nor replaced.
        const QByteArray huge = QByteArray(PrivateFile::MaxReadSize, '#') + "\n";
        QVERIFY(TestFiles::write(Path, huge));
        QVERIFY(!OptionsFile::load(Path, &options, &error));
        QCOMPARE(error, QDir::current().absoluteFilePath(Path) +
                            " is larger than 1 MiB, more than such a file holds");
        QVERIFY(!OptionsFile::save(Path, options, &error));
        QCOMPARE(TestFiles::read(Path).size(), huge.size());
        const QByteArray garbage = QByteArray("\x01\xff\0[\n=x\n[General\n\xc3", 18) + "\n";
        QVERIFY(TestFiles::write(Path, garbage)); // loads, and every line survives a save
        QVERIFY(OptionsFile::load(Path, &options, &error) &&
                OptionsFile::save(Path, options, &error));
        for (const QByteArray &line : garbage.split('\n'))
            QVERIFY2(TestFiles::read(Path).contains(line), line.toHex().constData());
    }

    // The file is the user's alone, whatever it was; one that another user can change (a file
    // of theirs, or a link of theirs, here to a file of ours) is neither read nor written.
    void othersFilesNeitherReadNorWritten()
    {
        QVERIFY(TestFiles::write(Path, "comm_timeout=7\n"));
        QVERIFY(
            QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        Options options = defaults();
        QString error;
        QVERIFY(OptionsFile::save(Path, options, &error));
        QCOMPARE(QFileInfo(Path).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        QVERIFY(TestFiles::write("ours", "python_path=/ours\n") &&
                QFile::link("ours", "theirs.ini"));
        QVERIFY(TestFiles::write("their.ini", "python_path=/theirs\n"));
        QVERIFY(::mkfifo("fifo.ini", 0600) == 0); // not waited for
        QVERIFY(!OptionsFile::load("fifo.ini", &options, &error));
        QCOMPARE(error, QDir::current().absoluteFilePath("fifo.ini") +
                            " is not a regular file; remove or rename it, and the program makes "
                            "a file of its own there");
        // A folder that every user may write to keeps no options: the save writes nothing, and
        // says why.
        QVERIFY(::mkdir("shared", 0700) == 0 && ::chmod("shared", 0777) == 0);
        QVERIFY(!OptionsFile::save("shared/options.ini", options, &error));
        QVERIFY(error.contains("only a place that no other user can change is used"));
        QVERIFY(!QFileInfo::exists("shared/options.ini"));
        if (!AsNobody::own("theirs.ini") || !AsNobody::own("their.ini"))
            QSKIP("needs root and the user nobody");
        for (const char *name : {"theirs.ini", "their.ini"}) {
            const QByteArray before = TestFiles::read(name);
            QVERIFY(!OptionsFile::load(name, &options, &error));
            QCOMPARE(options, defaults());
            QVERIFY2(error.contains("belongs to another user") && error.endsWith("of its own there"),
                     qPrintable(error));
            QVERIFY(!OptionsFile::save(name, options, &error));
            QCOMPARE(TestFiles::read(name), before);
        }
        QCOMPARE(TestFiles::read("ours"), QByteArray("python_path=/ours\n"));
    }

    // MainApp's options: the file's values on load, keys asked for written on save; an
    // interpreter path that does not resolve falls back with one warning.
    void programOptionsGoThroughTheFile()
    {
        QVERIFY(TestFiles::write(Path,
                                 "ignore_version=true\nforeign=x\npython_path=/no/such/python\n"));
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        QVERIFY(!app->ignoreVersion());
        app->loadOptions();
        QVERIFY(app->ignoreVersion());
        QVERIFY(!app->options().contains("foreign"));
        QVERIFY(!app->option("asked").isValid());
        app->saveOptions();
        QCOMPARE(TestFiles::read(Path),
                 QByteArray("ignore_version=true\nforeign=x\n"
                            "python_path=/no/such/python\ncomm_timeout=50\n"
                            "updater_path=updater\nspec_path=\nscript_path=\n"
                            "asked=@Invalid()\n"));
        PythonRunner runner;
        QList<int> levels;
        connect(&runner, &PythonRunner::signal_log, this,
                [&levels](int level, const QString &) { levels.append(level); });
        runner.setPythonPath(app->option("python_path").toString());
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
        QCOMPARE(levels, QList<int>{1});
        // A file that cannot be written is an error of the log.
        QVERIFY(QFile::remove(Path) && QDir().mkdir(Path));
        QSignalSpy logged(app, &MainApp::signal_log);
        app->saveOptions();
        QVERIFY(QDir().rmdir(Path));
        QCOMPARE(logged.size(), 1);
        QCOMPARE(logged.at(0).at(0).toInt(), -1);
        QVERIFY(logged.at(0).at(1).toString().startsWith("Cannot write"));
    }
};

QTEST_MAIN(TestOptionsFile)
#include "tst_optionsfile.moc"
