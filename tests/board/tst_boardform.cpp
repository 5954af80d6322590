// The frame of the board form: name, tabs, shared sheets, the slider connection, pictures.
#include "formhost.h"
#include "formsheets.h"
#include "pagecensus.h"

#include <QDir>
#include <QPixmap>
#include <QSpinBox>
#include <QTest>

class tst_BoardForm : public QObject
{
    Q_OBJECT
private slots:
    void formName_data();
    void formName();
    void pagesInOrder();
    void sharedSheets();
    void namesUnique_data();
    void namesUnique();
    void formCensusIsSumOfPages();
    void wholeFormCensus();
    void sliderDrivesSpinBox();
    void spinBoxLeavesSlider();
    void picturesLoad_data();
    void picturesLoad();
    void slotsByNameFireOnce();
    void tabPictures();
};

// A form host with one by-name slot, as the board applet has them.
class SlotHost : public QWidget
{
    Q_OBJECT
public:
    int clicks = 0;
public slots:
    void on_pbAA_clicked() { ++clicks; }
};

void tst_BoardForm::formName_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unnamed host") << QString() << QStringLiteral("Board");
    QTest::newRow("named host") << QStringLiteral("boardPage") << QStringLiteral("boardPage");
}

void tst_BoardForm::formName()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);
    FormHost host(given);
    QCOMPARE(host.form.objectName(), expected);
}

void tst_BoardForm::pagesInOrder()
{
    const FormHost host;
    const QStringList names = {"application", "control", "status", "p205", "P404", "animation"};
    const QStringList titles = {"Application", "Control registers", "Status registers",
                                "KVL52205",    "KVL52404",          "Animation"};
    QCOMPARE(host.ui.tabWidget->count(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(host.ui.tabWidget->widget(i)->objectName(), names.at(i));
        QCOMPARE(host.ui.tabWidget->tabText(i), titles.at(i));
    }
    QCOMPARE(host.ui.tabWidget->currentIndex(), 4);
    QCOMPARE(host.ui.tabWidget->accessibleName(), QStringLiteral("SA"));
    QCOMPARE(host.form.windowTitle(), QStringLiteral("Board"));
}

void tst_BoardForm::sharedSheets()
{
    const FormHost host;
    QCOMPARE(host.form.styleSheet(), FormSheets::text("FormStyle"));
    QCOMPARE(host.ui.tabWidget->styleSheet(), FormSheets::text("TabWidgetStyle"));
    // Declarations that must stay exactly as written.
    QVERIFY(host.form.styleSheet().contains("border-radius:10px;"));
    QVERIFY(host.form.styleSheet().contains("QCheckBox::indicator::checked::disabled"));
}

// Names must be unique across all pages, widgets and layouts together.
void tst_BoardForm::namesUnique_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("rename");
    QTest::addColumn<QStringList>("duplicates");
    QTest::newRow("as built") << QString() << QString() << QStringList();
    QTest::newRow("widget named like a page") << "label_3"
                                              << "control" << QStringList{"control"};
    QTest::newRow("layout named like a widget") << "gridLayout_3"
                                                << "pbAA" << QStringList{"pbAA"};
    QTest::newRow("unnamed layout") << "gridLayout_3"
                                    << "" << QStringList{""};
}

void tst_BoardForm::namesUnique()
{
    QFETCH(QString, object);
    QFETCH(QString, rename);
    QFETCH(QStringList, duplicates);
    FormHost host;
    if (!object.isEmpty())
        host.form.findChild<QObject *>(object)->setObjectName(rename);
    QCOMPARE(PageCensus::duplicateNames(&host.form), duplicates);
}

// The census of the whole form holds the frame's two objects and every page's census, and no
// part of Qt's own (such as the tab bar's scroll buttons).
void tst_BoardForm::formCensusIsSumOfPages()
{
    FormHost host;
    int widgets = 2;
    int layouts = 1;
    int spacers = 0;
    for (int i = 0; i < host.ui.tabWidget->count(); ++i) {
        const PageCensus page(host.ui.tabWidget->widget(i));
        widgets += page.widgetCount();
        layouts += page.layoutCount();
        spacers += page.spacerCount();
    }
    const PageCensus form(&host.form);
    QCOMPARE(form.widgetCount(), widgets);
    QCOMPARE(form.layoutCount(), layouts);
    QCOMPARE(form.spacerCount(), spacers);
}

// The whole form by class: every widget the form creates (the form itself aside), its layouts
// and spacers, and how many bound widgets carry an accessible name.
void tst_BoardForm::wholeFormCensus()
{
    FormHost host;
    const PageCensus form(&host.form);
    QMap<QString, int> widgets = {
        {"QLabel", 208},
        {"CustomControls::CheckBox", 113},
        {"CustomControls::LineEdit", 82},
        {"CustomControls::PushButton", 70},
        {"QGroupBox", 49},
        {"CustomControls::ComboBox", 24},
        {"QLineEdit", 24},
        {"QPushButton", 21},
        {"QWidget", 20 + 1}, // six pages, fourteen containers and the form
        {"CustomControls::RealEdit", 17},
        {"QFrame", 13},
        {"CustomControls::Dial", 6},
        {"QSplitter", 6},
        {"QSpinBox", 6},
        {"QCheckBox", 5},
        {"CustomControls::SpinBox", 4},
        {"QComboBox", 4},
        {"CustomControls::Slider", 3},
        {"QCustomPlot", 2},
        {"QTabWidget", 1},
        {"QTableWidget", 1},
        {"QListWidget", 1},
        {"QPlainTextEdit", 1},
        {"QSlider", 1},
    };
    QCOMPARE(form.widgetClasses(), widgets);
    QCOMPARE(form.widgetCount(), 682 + 1);
    const QMap<QString, int> layouts = {
        {"QVBoxLayout", 63}, {"QGridLayout", 60}, {"QHBoxLayout", 57}, {"QFormLayout", 3}};
    QCOMPARE(form.layoutClasses(), layouts);
    QCOMPARE(form.layoutCount(), 183);
    QCOMPARE(form.spacerCount(), 45);
    QCOMPARE(form.boundClassCount(), 319);
    QCOMPARE(form.boundWithBindingCount(), 300);
}

void tst_BoardForm::sliderDrivesSpinBox()
{
    const FormHost host;
    QSlider *slider = host.ui.slAll;
    // A drag with tracking off: the spin box follows the handle before the value changes.
    slider->setSliderDown(true);
    slider->setSliderPosition(700);
    QCOMPARE(slider->value(), 0);
    QCOMPARE(host.ui.spAllDC->value(), 700);
    slider->setSliderDown(false);
    QCOMPARE(slider->value(), 700);
    // A value set without a drag reaches the spin box through valueChanged.
    slider->setValue(300);
    QCOMPARE(host.ui.spAllDC->value(), 300);
}

void tst_BoardForm::spinBoxLeavesSlider()
{
    const FormHost host;
    host.ui.slAll->setValue(100);
    host.ui.spAllDC->setValue(500);
    QCOMPARE(host.ui.spAllDC->value(), 500);
    QCOMPARE(host.ui.slAll->value(), 100);
}

void tst_BoardForm::picturesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("logo") << QStringLiteral(":/board/images/velmora_logo.png");
    QTest::newRow("check mark") << QStringLiteral(":/board/images/checkbox_checked.png");
    const QDir icons(QStringLiteral(":/board/images/animation"));
    const QStringList files = icons.entryList(QDir::Files);
    QCOMPARE(files.size(), 7);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << icons.filePath(file);
}

void tst_BoardForm::picturesLoad()
{
    QFETCH(QString, path);
    QVERIFY(!QPixmap(path).isNull());
}

// The form connects nothing by name: the applet's one call makes each slot fire once.
void tst_BoardForm::slotsByNameFireOnce()
{
    SlotHost host;
    Ui::Board ui;
    ui.setupUi(&host);
    QMetaObject::connectSlotsByName(&host);
    ui.pbAA->click();
    QCOMPARE(host.clicks, 1);
}

// Draws every tab; with KVL_FORM_PNG_DIR set, writes one PNG per tab into that folder.
void tst_BoardForm::tabPictures()
{
    FormHost host;
    const QString folder = qEnvironmentVariable("KVL_FORM_PNG_DIR");
    if (!folder.isEmpty())
        QVERIFY(QDir().mkpath(folder));
    host.form.show();
    QTabWidget *tabs = host.ui.tabWidget;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
        QVERIFY(tabs->widget(i)->isVisible());
        const QImage image = host.form.grab().toImage();
        QCOMPARE(image.size(), host.form.size());
        if (!folder.isEmpty()) {
            const QString file = QStringLiteral("%1/%2_%3.png")
                                     .arg(folder)
                                     .arg(i)
                                     .arg(tabs->widget(i)->objectName());
            QVERIFY2(image.save(file), qPrintable(file));
        }
    }
}

QTEST_MAIN(tst_BoardForm)
#include "tst_boardform.moc"
