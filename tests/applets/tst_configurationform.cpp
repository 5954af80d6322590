// The configuration window: its form as built, its bindings to the command registers, SACONF
// and the commands, the combo lists the applet adds, and each button running its command.
#include "configurationappfixture.h"
#include "pushbutton.h"
#include "universalcontrol.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

namespace
{

// The configuration applet, recording each command it is asked to run (and its argument).
class ConfigurationProbe : public Configuration
{
public:
    QVariant run(const QString &command, const QVariant &args) override
    {
        if (!command.isEmpty())
            calls << command + '|' + (args.typeId() == QMetaType::QString ? "text:" : "other:") +
                         args.toString();
        return Configuration::run(command, args);
    }
    QStringList calls;
};

QWidget *labelBeside(QWidget *field)
{
    auto *grid = qobject_cast<QGridLayout *>(field->parentWidget()->layout()->itemAt(0)->layout());
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    const int index = grid ? grid->indexOf(field) : -1;
    if (index < 0)
        return nullptr;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    QLayoutItem *item = grid->itemAtPosition(row, 0);
    return column == 1 && item ? item->widget() : nullptr;
}

QList<QWidget *> boundWidgets(QWidget *form)
{
    QList<QWidget *> widgets;
    for (QWidget *w : form->findChildren<QWidget *>())
        if (dynamic_cast<CustomControls::UniversalControl *>(w))
            widgets << w;
    return widgets;
}

} // namespace

class TestConfigurationForm : public QObject
{
    Q_OBJECT

    ConfigurationAppFixture f;

    ConfigurationProbe *applet() const
    {
        return static_cast<ConfigurationProbe *>(f.configuration());
    }
    template <typename T> T *child(const char *name) const
    {
        return applet()->findChild<T *>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start([]() -> Applet * { return new ConfigurationProbe; }));
        QVERIFY(applet());
        QCOMPARE(f.app->projectType(), QString("TO3/TO4"));
    }

    // The help table grows as the names are walked.
    void helpEntries()
    {
        QCOMPARE(applet()->run("Read_slave_ident", QVariant()), QVariant(false)); // SACONF 0
        QCOMPARE(applet()->functionNames(), QStringList{"Read_slave_ident"});
        QCOMPARE(applet()->run(QString(), 0), QVariant(false));
        QCOMPARE(applet()->functionNames().size(), 14);
        QCOMPARE(applet()->run("NoSuchCommand", QVariant()), QVariant(false));
        QCOMPARE(applet()->functionNames().size(), 14);
    }

    // As built by the form alone, before the applet binds and refreshes it.
    void builtForm()
    {
        Configuration fresh;
        QCOMPARE(Configuration::instance(), f.configuration()); // the program's one stays
        QCOMPARE(fresh.objectName(), QString("Configuration"));
        QCOMPARE(fresh.windowTitle(), QString("Configuration frame"));
        QCOMPARE(fresh.size(), QSize(1230, 818));
        QCOMPARE(fresh.styleSheet().size(), 1150);
        auto *readAll = fresh.findChild<QPushButton *>("btWriteEEPROM_52");
        QCOMPARE(readAll->styleSheet().size(), 92);
        QVERIFY(readAll->font().bold());
        QCOMPARE(readAll->text(), QString("Read All Cfg. Reg."));
        QCOMPARE(fresh.findChild<QLabel *>("label_14")->font().pointSize(), 16);

        const QStringList empty = {"leDEV_ID", "leANA_ID", "leDIG_ID", "leDLT0",
                                   "leDLT1",   "leDLT2",   "lineEdit"};
        const QList<QLineEdit *> edits = fresh.findChildren<QLineEdit *>();
        QCOMPARE(edits.size(), 32);
        for (QLineEdit *edit : edits)
            QCOMPARE(edit->text(), empty.contains(edit->objectName()) ? QString() : QString("15"));

        const QList<QPair<const char *, int>> combos = {
            {"cbAAC", 0},       {"cbPMC", 0},       {"cbPMS", 0},       {"cbCF3EES", 4},
            {"cmREG0D_3_4", 4}, {"cmREG0D_3_5", 4}, {"cmREG0D_3_3", 16}};
        for (const auto &combo : combos)
            QCOMPARE(fresh.findChild<QComboBox *>(combo.first)->count(), combo.second);
    }

    void groupStyleSheets_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("border");
        QTest::newRow("CF4") << "grI2C_EEPROM_6" << 273 << "#6F8090";
        QTest::newRow("CF5") << "grI2C_EEPROM_7" << 272 << "#6F8090";
        QTest::newRow("CF1") << "grI2C_EEPROM_4" << 272 << "#6F8090";
        QTest::newRow("CF3") << "grI2C_EEPROM_5" << 272 << "#6F8090";
        QTest::newRow("CF2") << "grI2C_EEPROM_3" << 272 << "#6F8090";
        QTest::newRow("CF7") << "grI2C_EEPROM_8" << 269 << "gray";
        QTest::newRow("CF8") << "grI2C_EEPROM_9" << 269 << "gray";
        QTest::newRow("CF6") << "grI2C_EEPROM_39" << 0 << "";
    }
    void groupStyleSheets()
    {
        QFETCH(QString, group);
        QFETCH(int, length);
        QFETCH(QString, border);
        const QString sheet = child<QGroupBox>(group.toLatin1().constData())->styleSheet();
        QCOMPARE(sheet.size(), length);
        QVERIFY(length == 0 || sheet.contains("border: 2px solid " + border + ";"));
    }

    // 51 register fields, 14 commands and SACONF, every one bound.
    void accessibleNames()
    {
        const QRegularExpression fieldName("^([A-Z_0-9]+)\\[([A-Z_0-9]+)\\]$");
        const QRegularExpression commandName("^([A-Za-z_0-9]+)\\(\\)$");
        QStringList fields, commands, others;
        for (QWidget *w : boundWidgets(applet())) {
            const QString name = w->accessibleName();
            if (fieldName.match(name).hasMatch()) {
                fields << name;
                QVariant value;
                QVERIFY2(f.app->get("Configuration." + name, &value), qPrintable(name));
            } else if (commandName.match(name).hasMatch()) {
                QVERIFY(qobject_cast<QPushButton *>(w));
                commands << commandName.match(name).captured(1);
            } else {
                others << name;
            }
        }
        QCOMPARE(fields.size(), 51);
        QCOMPARE(fields.removeDuplicates(), 0);
        QCOMPARE(others, QStringList{"SACONF"});
        QVariant address = 12;
        QVERIFY(f.app->set("Configuration.SACONF", address));
        QCOMPARE(child<QLineEdit>("leSA")->text().toInt(nullptr, 0), 12);
        commands.sort();
        applet()->run(QString(), 0);
        QCOMPARE(commands, applet()->functionNames());
        QCOMPARE(applet()->controlNames().size(), 66);
    }

    void combosFilledByApplet()
    {
        const QStringList modes = {"0. Slave", "1. Repeater-Slave"};
        for (const char *name : {"cbPMC", "cbPMS"}) {
            auto *combo = child<QComboBox>(name);
            QCOMPARE(combo->count(), 2);
            QCOMPARE(combo->itemText(0) + ',' + combo->itemText(1), modes.join(','));
        }
        QCOMPARE(child<QComboBox>("cbAAC")->itemText(1), QString("1. AA Enabled"));
        QCOMPARE(child<QComboBox>("cbAAC")->count(), 2);
    }

    void byteLabels_data()
    {
        QTest::addColumn<QString>("binding");
        QTest::addColumn<QString>("label");
        QTest::newRow("write DATA3") << "I2C_EEPROM_WRITE[DATA3]"
                                     << "BYTE0";
        QTest::newRow("write DATA10") << "I2C_EEPROM_WRITE[DATA10]"
                                      << "BYTE7";
        QTest::newRow("read DATA3") << "I2C_EEPROM_READ[DATA3]"
                                    << "BYTE0";
        QTest::newRow("read DATA10") << "I2C_EEPROM_READ[DATA10]"
                                     << "BYTE7";
        QTest::newRow("read EES") << "I2C_EEPROM_READ[EES]"
                                  << "EES";
    }
    void byteLabels()
    {
        QFETCH(QString, binding);
        QFETCH(QString, label);
        QWidget *field = nullptr;
        for (QWidget *w : boundWidgets(applet()))
            if (w->accessibleName() == binding)
                field = w;
        QVERIFY(field);
        auto *caption = qobject_cast<QLabel *>(labelBeside(field));
        QVERIFY(caption);
        QCOMPARE(caption->text(), label);
    }

    void projectTypeKeepsWidgetsEnabled()
    {
        for (const char *name : {"label_101", "lineEdit", "label_67", "cmREG0D_3_5"})
            QVERIFY2(child<QWidget>(name)->isEnabled(), name);
    }

    // A click runs the button's command once, with an empty argument text.
    void buttonsRunTheirCommands()
    {
        const QList<CustomControls::PushButton *> buttons =
            applet()->findChildren<CustomControls::PushButton *>();
        QCOMPARE(buttons.size(), 14);
        for (CustomControls::PushButton *button : buttons) {
            applet()->calls.clear();
            button->click();
            const QString command = button->accessibleName().chopped(2);
            QCOMPARE(applet()->calls, QStringList{command + "|text:"});
        }
    }
};

QTEST_MAIN(TestConfigurationForm)
#include "tst_configurationform.moc"
