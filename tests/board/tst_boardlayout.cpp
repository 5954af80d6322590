// Loading matrix configuration files into the board page: the switch grid, the device groups,
// the refusals and what a reload keeps and clears.
#include "layoutfixture.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace
{

const QString CountsText = "Please check the configuration.\n The Number of devices must be 1 "
                           "or 2,\n number of cols must be less than 25,\n number of rows must "
                           "be less than 5.";
const QString SwitchesText = "Number of activ SW is bigger than possible pixels in total!";

QStringList comboItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; box && i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QString box(int icon, const QString &title, const QString &text)
{
    return QStringLiteral("%1|%2|%3").arg(icon).arg(title, text);
}

} // namespace

class TestBoardLayout : public QObject
{
    Q_OBJECT

    LayoutFixture f;

    // What a refused load must leave as it was.
    QStringList pageState() const
    {
        QStringList state;
        for (const CustomControls::Slider *s : f.sliders())
            state << s->objectName();
        state << QString::number(f.position()->maximum()) << QString::number(f.position()->value());
        state << f.page()->deviceAddressTexts();
        state << QString::number(f.deviceArea()->findChildren<QGroupBox *>().size());
        return state;
    }

    // The message boxes shown since the check began, as "icon|title|text".
    QStringList messagesSince(int first) const
    {
        QStringList shown;
        const QList<Prompt::Message> all = f.prompt.messages();
        for (int i = first; i < all.size(); ++i)
            shown << box(all[i].icon, all[i].title, all[i].text);
        return shown;
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void twoDevices()
    {
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        QCOMPARE(f.sliders().size(), 24);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 12; ++c) {
                const int n = r * 12 + c + 1;
                CustomControls::Slider *s = f.sliderAt(r, c);
                QVERIFY(s);
                QCOMPARE(s->objectName(), QString("SW%1").arg(n));
                QCOMPARE(s->accessibleName(), QString("DCREG[SW%1]").arg(n));
                QCOMPARE(s->maximum(), 1023);
                QCOMPARE(s->orientation(), Qt::Vertical);
                QVERIFY(!s->hasTracking());
            }
        QStringList titles;
        for (const QGroupBox *group : f.deviceArea()->findChildren<QGroupBox *>())
            titles << group->title();
        QCOMPARE(titles, QStringList({"Device 1", "Device 2"}));
        QCOMPARE(f.page()->deviceAddressTexts(), QStringList({"1", "2"}));
        QCOMPARE(BoardPageAccess::instance(), static_cast<BoardPageAccess *>(f.page()));
        // Row mode is checked in the form: the position slider spans the active switches.
        QCOMPARE(f.position()->minimum(), 0);
        QCOMPARE(f.position()->maximum(), 24);
        QCOMPARE(f.position()->value(), 12);
        QVERIFY(f.widget<QPushButton>("pbPatternCustom")->isEnabled());
    }

    // The widgets of one device group, by their texts and names.
    void deviceGroup()
    {
        auto *edit = f.deviceArea()->findChild<QLineEdit *>("leSA1");
        QVERIFY(edit);
        QCOMPARE(edit->accessibleName(), QString("SA1"));
        auto *validator = qobject_cast<const QIntValidator *>(edit->validator());
        QVERIFY(validator);
        QCOMPARE(validator->bottom(), -1);
        QCOMPARE(validator->top(), 31);
        auto *group = qobject_cast<QGroupBox *>(edit->parentWidget());
        QVERIFY(group);
        QCOMPARE(group->title(), QString("Device 2"));

        QStringList buttons;
        for (const QPushButton *b : group->findChildren<QPushButton *>())
            buttons << b->text() + "|" + b->accessibleName() + "|" + b->objectName();
        buttons.sort();
        QCOMPARE(buttons, QStringList({"Configuration||", "Go to normal mode|NORMAL1]|NORMAL1",
                                       "Read OP/PXN MODE|OPMODE1]|OPMODE1"}));
        const QList<QComboBox *> combos = group->findChildren<QComboBox *>();
        QCOMPARE(combos.size(), 2);
        const QStringList modes = comboItems(combos.at(0));
        QCOMPARE(modes.size(), 16);
        QCOMPARE(modes.at(0), QString("0. Not valid"));
        QCOMPARE(modes.at(7), QString("7. Normal Fail-safe OPEN"));
        QCOMPARE(modes.at(12), QString("12. NO_CRC direct"));
        QCOMPARE(modes.at(15), QString("15. NO_CRC Fail-safe OPEN"));
        QCOMPARE(combos.at(0)->accessibleName(), QString("OPMODE"));
        QCOMPARE(comboItems(combos.at(1)), QStringList({"0. Slave", "1. Repeater-Slave"}));
        QCOMPARE(combos.at(1)->accessibleName(), QString("PXNMODE"));
    }

    // The sliders of a loaded grid write their fields; a reload binds the new ones.
    void slidersBound()
    {
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        f.moveBound(f.slider(5), 321);
        QCOMPARE(f.duty(5), 321);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        QCOMPARE(f.sliders().size(), 24);
        // The old switches' spin boxes and labels are gone as well.
        QCOMPARE(f.switchArea()->findChildren<QSpinBox *>().size(), 24);
        QCOMPARE(f.switchArea()->findChildren<QLabel *>().size(), 24);
        QCOMPARE(f.deviceArea()->findChildren<QLineEdit *>().size(), 2);
        f.moveBound(f.slider(6), 77);
        QCOMPARE(f.duty(6), 77);
    }

    // A switch set before a reload reads 0 after it, in the model and on its new slider.
    void reloadSwitchesOff()
    {
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        QVERIFY(f.setItem("Board.DCREG[SW3]", 500));
        QCOMPARE(f.duty(3), 500);
        QCOMPARE(f.slider(3)->QSlider::value(), 500);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        QCOMPARE(f.duty(3), 0);
        QCOMPARE(f.slider(3)->QSlider::value(), 0);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        const QList<QByteArray> row = {"1 2 3 4 5 6 7 8 9 10 11 12"};
        const QString counts = "Load configuration";
        QTest::newRow("three devices")
            << LayoutFixture::configText(3, 12, 1, 12, row) << counts << CountsText;
        QTest::newRow("no device")
            << LayoutFixture::configText(0, 12, 1, 12, row) << counts << CountsText;
        QTest::newRow("25 columns")
            << LayoutFixture::configText(2, 12, 1, 25, row) << counts << CountsText;
        QTest::newRow("no column")
            << LayoutFixture::configText(2, 12, 1, 0, {}) << counts << CountsText;
        QTest::newRow("five rows")
            << LayoutFixture::configText(2, 12, 5, 12, row) << counts << CountsText;
        QTest::newRow("no row") << LayoutFixture::configText(2, 12, 0, 12, row) << counts
                                << CountsText;
        QTest::newRow("too many switches")
            << LayoutFixture::configText(1, 11, 1, 12, row) << "Error" << SwitchesText;
    }
    // A refused file shows its box and changes nothing: not the page, not the bindings, not
    // the counts a later file builds on.
    void refusals()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        const QStringList before = pageState();
        const int first = f.prompt.messages().size();
        f.load(text);
        QCOMPARE(messagesSince(first), QStringList(box(Prompt::Warning, title, message)));
        QCOMPARE(pageState(), before);
        f.moveBound(f.slider(7), 45);
        QCOMPARE(f.duty(7), 45);
        // Only devices given: the rest comes from the last accepted file (2 x 12 grid).
        QCOMPARE(f.load("NumberOfDevices 2\nNumberOfDevices 2\nNumberOfDevices 2\n"
                        "NumberOfDevices 2\n"),
                 0);
        QCOMPARE(pageState(), before);
    }

    void openFailure()
    {
        QCOMPARE(f.loadGrid(1, 12, 1, 12), 0);
        const QStringList before = pageState();
        QFile missing("no-such-file.txt");
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        const int first = f.prompt.messages().size();
        f.page()->loadConfiguration("no-such-file.txt");
        QCOMPARE(messagesSince(first),
                 QStringList(box(Prompt::Information, "Error", missing.errorString())));
        QCOMPARE(pageState(), before);
    }

    // The button asks for a file; a cancelled dialog is reported as an open failure.
    void loadButton()
    {
        QCOMPARE(f.loadGrid(1, 12, 1, 12), 0);
        const QStringList before = pageState();
        const int dialogs = f.prompt.fileDialogs().size();
        int first = f.prompt.messages().size();
        f.page()->on_pbLoadConfiguration_clicked();
        QCOMPARE(f.prompt.fileDialogs().mid(dialogs),
                 QStringList("Open configuration file|Text files (*.txt)"));
        QFile unnamed;
        QVERIFY(!unnamed.open(QIODevice::ReadOnly));
        QCOMPARE(messagesSince(first),
                 QStringList(box(Prompt::Information, "Error", unnamed.errorString())));
        QCOMPARE(pageState(), before);

        QVERIFY(TestFiles::write("two.txt", LayoutFixture::configText(
                                                2, 12, 2, 12, LayoutFixture::numberedRows(2, 12))));
        f.prompt.queueFile("two.txt");
        first = f.prompt.messages().size();
        f.page()->on_pbLoadConfiguration_clicked();
        QCOMPARE(messagesSince(first), QStringList());
        QCOMPARE(f.sliders().size(), 24);
    }

    void wideGrids_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::newRow("1 x 24") << 2 << 12 << 1 << 24;
        QTest::newRow("2 x 20") << 2 << 20 << 2 << 20;
        QTest::newRow("4 x 3") << 1 << 12 << 4 << 3;
    }
    // Every cell holds its own slider.
    void wideGrids()
    {
        QFETCH(int, devices);
        QFETCH(int, pixels);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QCOMPARE(f.loadGrid(devices, pixels, rows, cols), 0);
        QCOMPARE(f.sliders().size(), rows * cols);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                CustomControls::Slider *s = f.sliderAt(r, c);
                QVERIFY(s);
                QCOMPARE(s->objectName(), QString("SW%1").arg(r * cols + c + 1));
            }
        QCOMPARE(f.page()->deviceAddressTexts().size(), devices);
        QCOMPARE(f.position()->maximum(), rows * cols);
    }

    // A file with fewer row lines than rows keeps the rows of the file before; cells left
    // empty get no slider.
    void fewerRowLines()
    {
        QCOMPARE(f.load(LayoutFixture::configText(1, 12, 2, 4, {"1 2 3 4", "5 6 0 7"})), 0);
        QCOMPARE(f.load(LayoutFixture::configText(1, 12, 2, 4, {"9 10"})), 0);
        const QList<QList<int>> expected = {{9, 10, 3, 4}, {5, 6, 0, 7}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c) {
                CustomControls::Slider *s = f.sliderAt(r, c);
                if (expected[r][c] == 0) {
                    QVERIFY(!s);
                    continue;
                }
                QVERIFY(s);
                QCOMPARE(s->objectName(), QString("SW%1").arg(expected[r][c]));
            }
        QCOMPARE(f.sliders().size(), 7);
    }

    // The file shipped for the program: one device of 12 pixels in one row.
    void shippedConfiguration()
    {
        const QString path =
            qEnvironmentVariable("KVL_SOURCE_DIR") + "/configuration/Configuration12.txt";
        QVERIFY(QFile::exists(path));
        const int first = f.prompt.messages().size();
        f.page()->loadConfiguration(path);
        QCOMPARE(messagesSince(first), QStringList());
        QCOMPARE(f.sliders().size(), 12);
        for (int c = 0; c < 12; ++c)
            QCOMPARE(f.sliderAt(0, c)->objectName(), QString("SW%1").arg(c + 1));
        QCOMPARE(f.page()->deviceAddressTexts(), QStringList("1"));
    }
};

QTEST_MAIN(TestBoardLayout)
#include "tst_boardlayout.moc"
