// Section headers of "options.ini": reading and saving agree on which lines are headers, so
// the options are read from and written to their own section only, whatever blanks or
// byte-order marks stand before a header; values keep every character.
#include "optionsfile.h"
#include "testfiles.h"

#include <QFile>
#include <QtTest>

static const QString Path = QStringLiteral("options.ini");

// Files found in use: a foreign section header after a non-breaking space, and after two
// byte-order marks at the start of the file.
static const QByteArray NbspHeaderFile("[General]\n"
                                       "ignore_version=true\n"
                                       "\xC2\xA0[Other]\n"
                                       "y=2\n");
static const QByteArray DoubleBomFile("\xEF\xBB\xBF\xEF\xBB\xBF[Other]\n"
                                      "comm_timeout=5\n");

class TestOptionsSections : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(Path); }

    void headersAfterBlanks_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("timeout"); // comm_timeout after loading over the default 50
        QTest::addColumn<bool>("ignore"); // ignore_version after loading over the default false

        QTest::newRow("non-breaking space before a foreign header") << NbspHeaderFile << 50 << true;
        QTest::newRow("two byte-order marks before a foreign header")
            << DoubleBomFile << 50 << false;
        QTest::newRow("byte-order mark before the general header")
            << QByteArray("\xEF\xBB\xBF[General]\ncomm_timeout=7\n") << 7 << false;
        QTest::newRow("byte-order mark before a header inside the file")
            << QByteArray("[General]\ncomm_timeout=7\n\xEF\xBB\xBF[Other]\ncomm_timeout=9\n"
                          "ignore_version=true\n")
            << 7 << false;
        QTest::newRow("em space before a foreign header")
            << QByteArray("comm_timeout=7\n\xE2\x80\x83[Other]\ncomm_timeout=9\n") << 7 << false;
        QTest::newRow("tab before the general header after a foreign one")
            << QByteArray("[Other]\ncomm_timeout=9\n\t[General]\ncomm_timeout=7\n") << 7 << false;
        QTest::newRow("blanks inside the brackets")
            << QByteArray("[Other]\ncomm_timeout=9\n[\xC2\xA0General ]\ncomm_timeout=7\n") << 7
            << false;
        QTest::newRow("byte-order mark before a key")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                          "comm_timeout=7\n[Other]\nignore_version=true\n")
            << 7 << false;
    }

    // Loading takes only the general section's keys; saving then writes the options where
    // loading finds them again, and leaves every foreign line as it was.
    void headersAfterBlanks()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, timeout);
        QFETCH(bool, ignore);
        writeFile(file);
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error));
        QCOMPARE(options.value("comm_timeout").toInt(), timeout);
        QCOMPARE(options.value("ignore_version").toBool(), ignore);

        options.insert("comm_timeout", 77);
        options.insert("spec_path", QStringLiteral("saved.pdf"));
        QVERIFY(OptionsFile::save(Path, options, &error));
        QHash<QString, QVariant> reread = defaults();
        QVERIFY(OptionsFile::load(Path, &reread, &error));
        QCOMPARE(reread.value("comm_timeout").toInt(), 77);
        QCOMPARE(reread.value("spec_path").toString(), QStringLiteral("saved.pdf"));
        QCOMPARE(reread.value("ignore_version").toBool(), ignore);
        const QByteArray after = fileBytes();
        for (const QByteArray &line : file.split('\n')) {
            const QByteArray plain = QByteArray(line).replace("\xEF\xBB\xBF", "");
            if (!line.contains("comm_timeout=7"))
                QVERIFY2(after.contains(plain), plain.constData());
        }
    }

    // The saved files exactly: the options go to the general section, which the saver finds
    // or creates before the foreign header; the file's byte-order mark stays first.
    void savedFiles_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("non-breaking space before a foreign header")
            << NbspHeaderFile
            << QByteArray("[General]\nignore_version=false\ncomm_timeout=50\n"
                          "updater_path=updater\nspec_path=\nscript_path=\npython_path=python3\n"
                          "\xC2\xA0[Other]\ny=2\n");
        QTest::newRow("two byte-order marks before a foreign header")
            << DoubleBomFile
            << QByteArray("\xEF\xBB\xBF[General]\ncomm_timeout=50\nupdater_path=updater\n"
                          "spec_path=\nscript_path=\npython_path=python3\nignore_version=false\n"
                          "\n\xEF\xBB\xBF[Other]\ncomm_timeout=5\n");
        QTest::newRow("line of blanks only ends the general section")
            << QByteArray("[General]\ncomm_timeout=1\n\xC2\xA0\n[Other]\nx=1\n")
            << QByteArray("[General]\ncomm_timeout=50\nupdater_path=updater\nspec_path=\n"
                          "script_path=\npython_path=python3\nignore_version=false\n\xC2\xA0\n"
                          "[Other]\nx=1\n");
    }

    void savedFiles()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        writeFile(before);
        QString error;
        QVERIFY(OptionsFile::save(Path, defaults(), &error));
        QCOMPARE(fileBytes(), after);
    }

    void valuesKeepTheirCharacters_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("leading byte-order mark") << QStringLiteral("\uFEFFdoc.pdf");
        QTest::newRow("byte-order mark alone") << QStringLiteral("\uFEFF");
        QTest::newRow("two byte-order marks") << QStringLiteral("\uFEFF\uFEFFx\uFEFF");
        QTest::newRow("leading non-breaking space") << QStringLiteral("\u00A0x");
        QTest::newRow("bracket first") << QStringLiteral("[Other]");
    }

    void valuesKeepTheirCharacters()
    {
        QFETCH(QString, value);
        QHash<QString, QVariant> options = defaults();
        options.insert("spec_path", value);
        QString error;
        QVERIFY(OptionsFile::save(Path, options, &error));
        QHash<QString, QVariant> reread = defaults();
        QVERIFY(OptionsFile::load(Path, &reread, &error));
        QCOMPARE(reread.value("spec_path").toString(), value);
        QCOMPARE(reread.value("python_path").toString(), QStringLiteral("python3"));
    }

    // A value written by hand after "=" keeps a byte-order mark it starts with.
    void handWrittenValueKeepsByteOrderMark()
    {
        writeFile("[General]\nspec_path=\xEF\xBB\xBF"
                  "a.pdf\n");
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error));
        QCOMPARE(options.value("spec_path").toString(), QStringLiteral("\uFEFFa.pdf"));
    }

private:
    static QHash<QString, QVariant> defaults()
    {
        return {{"comm_timeout", 50},       {"updater_path", QStringLiteral("updater")},
                {"spec_path", QString()},   {"script_path", QString()},
                {"python_path", "python3"}, {"ignore_version", false}};
    }

    static void writeFile(const QByteArray &bytes) { QVERIFY(TestFiles::write(Path, bytes)); }
    static QByteArray fileBytes() { return TestFiles::read(Path); }
};

QTEST_MAIN(TestOptionsSections)
#include "tst_optionssections.moc"
