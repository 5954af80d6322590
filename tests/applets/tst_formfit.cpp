// The tool windows wait for their first show to be polished and laid out (the start leaves
// them as built). Every text of every form fits its widget under the forms' font: each tool
// window and each page of the board form is shown at the form's size, and every label,
// button, check box, radio button, group title, combo item and line-edit or spin-box value
// wider than the room its widget gives it, or hidden under a sibling stacked above it, is
// listed (a wrapping label's longest word and its lines). The texts that the program sets at
// run time into labels of a fixed size fit too, and so do the board page's tabs as its set-up
// shows them for each driver board. Every style of button, field and label keeps its disabled
// text at a contrast of 3:1 to what lies behind it, below the enabled text's. With
// KVL_FORM_SHOTS naming a folder, the test also writes a picture of each tool window there (the
// board's shows its Animation tab).
#include "contrast.h"
#include "formfont.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "scriptcsv.h"
#include "simulatedboard.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOption>
#include <QTabWidget>
#include <QtTest>

namespace
{

// The width text takes in widget's font (a mnemonic's "&" takes none).
int textWidth(const QWidget *widget, QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return widget->fontMetrics().horizontalAdvance(text);
}

// The width a text needs and the width its widget gives it; where the widget paints no
// background of its own, where the text is drawn (widget coordinates), so a sibling stacked
// above it can hide the text.
struct Room {
    int needed = 0;
    int given = 0;
    QRect drawn;
};

// Widgets that paint their whole rectangle over what lies beneath.
bool paintsOver(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QComboBox *>(widget) || qobject_cast<const QPushButton *>(widget) ||
           qobject_cast<const QAbstractScrollArea *>(widget);
}

// A shown sibling stacked above widget that paints over its text, or none.
const QWidget *coverOf(const QWidget *widget, const Room &room)
{
    const QObjectList &siblings = widget->parentWidget()->children();
    const QRect text = room.drawn.translated(widget->pos());
    for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
        const auto *sibling = qobject_cast<const QWidget *>(siblings.at(i));
        if (sibling && sibling->isVisible() && paintsOver(sibling) &&
            sibling->geometry().intersects(text))
            return sibling;
    }
    return nullptr;
}

// A wrapped label needs room for its longest word, then the height of its lines at its width.
Room wrappedRoom(const QLabel *label)
{
    int word = 0;
    for (const QString &part : label->text().split(QRegularExpression(QStringLiteral("\\s+"))))
        word = qMax(word, textWidth(label, part));
    const int width = label->contentsRect().width() - 2 * label->margin();
    if (word > width)
        return {word, width};
    return {label->heightForWidth(label->width()), label->height()};
}

// A plain label's widest line against its contents less its margin and indent; a rich-text
// label's own size hint against its width.
Room labelRoom(const QLabel *label)
{
    if (label->text().isEmpty())
        return {};
    if (label->wordWrap())
        return wrappedRoom(label);
    if (label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
        return {label->sizeHint().width(), label->width()};
    int needed = 0;
    for (const QString &line : label->text().split(QLatin1Char('\n')))
        needed = qMax(needed, textWidth(label, line));
    const QRect contents = label->contentsRect().marginsRemoved(
        QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
    const int lines = int(label->text().count(QLatin1Char('\n'))) + 1;
    const QSize size(qMin(needed, contents.width()), lines * label->fontMetrics().height());
    return {needed, contents.width() - qMax(label->indent(), 0),
            QStyle::alignedRect(label->layoutDirection(), label->alignment(), size, contents)};
}

// The style's contents rectangle of a button is where its text and icon are drawn. A check box
// or radio button that the form leaves no room beside its indicator shows no caption (a bound
// one is the field's name, which a label beside it shows).
Room buttonRoom(const QAbstractButton *button)
{
    if (button->text().isEmpty())
        return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox *>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(button))
        contents = QStyle::SE_RadioButtonContents;
    const QRect room = button->style()->subElementRect(contents, &option, button);
    int needed = textWidth(button, button->text());
    if (!button->icon().isNull())
        needed += button->iconSize().width() + 4;
    if (contents == QStyle::SE_PushButtonContents)
        return {needed, room.width()};
    if (room.width() <= 0)
        return {};
    return {needed, room.width(), room};
}

// A group's title starts where the style places it and must end inside the group.
Room titleRoom(const QGroupBox *box)
{
    if (box->title().isEmpty())
        return {};
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isCheckable())
        option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    return {label.left() + textWidth(box, box->title()), box->width()};
}

// The widest item against the combo box's edit field.
QList<QPair<QString, Room>> comboRooms(const QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    option.subControls = QStyle::SC_All;
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    QList<QPair<QString, Room>> rooms;
    for (int i = 0; i < combo->count(); ++i) {
        const QString item = combo->itemText(i);
        int needed = textWidth(combo, item);
        if (!combo->itemIcon(i).isNull())
            needed += combo->iconSize().width() + 4;
        rooms.append({item, Room{needed, field.width()}});
    }
    return rooms;
}

// A line edit (a spin box's too) shows its text inside its contents less two pixels a side.
Room editRoom(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    room = room.marginsRemoved(edit->textMargins());
    return {textWidth(edit, edit->displayText()), room.width() - 4};
}

// The style sheets that style widget, of kind ("QPushButton", "QLabel", ...): its own and those
// of the widgets it lies in that hold rules of that kind.
QString styleOf(const QWidget *widget, const QLatin1String &kind)
{
    QString style = widget->styleSheet();
    for (const QWidget *w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (w->styleSheet().contains(kind))
            style += QLatin1Char('\n') + w->styleSheet();
    }
    return style;
}

// The contrast of probe's text to what lies behind it, probe shown in place of shown: the
// picture with the text against the one without it.
template <typename Probe> double contrastInPlace(Probe &probe, const QWidget *shown, bool enabled)
{
    const QString text = probe.text();
    probe.setStyleSheet(shown->styleSheet());
    probe.setGeometry(QRect(shown->pos(), shown->size().expandedTo(probe.sizeHint())));
    probe.setEnabled(enabled);
    probe.show();
    const QImage written = probe.grab().toImage();
    probe.setText(QString());
    const QImage blank = probe.grab().toImage();
    probe.setText(text);
    return Contrast::ofText(written, blank);
}

// One widget of type T for each style of its kind under root, that shows a plain text (a rich
// text gives its parts their own colours). A combo box's or spin box's field takes its style
// from its box.
template <typename T> QMap<QString, T *> stylesOf(const QWidget *root, const QLatin1String &kind)
{
    QMap<QString, T *> styles;
    for (T *widget : root->findChildren<T *>()) {
        if (widget->text().isEmpty() || Qt::mightBeRichText(widget->text()))
            continue;
        const QWidget *box = widget->parentWidget();
        const bool inBox =
            qobject_cast<const QComboBox *>(box) || qobject_cast<const QAbstractSpinBox *>(box);
        styles.insert(inBox ? box->metaObject()->className() + styleOf(box, kind)
                            : styleOf(widget, kind),
                      widget);
    }
    return styles;
}

// Each style's disabled text, read against its background: at least 3:1, and below the
// enabled text's contrast, so that it still looks disabled. The faint and the unchanged ones.
template <typename T> QStringList faintWhenDisabled(const QMap<QString, T *> &styles)
{
    QStringList faint;
    for (T *shown : styles) {
        T probe(shown->parentWidget());
        probe.setText(shown->text());
        const double disabled = contrastInPlace(probe, shown, false);
        const double enabled = contrastInPlace(probe, shown, true);
        if (disabled < 3 || disabled >= enabled)
            faint << QStringLiteral("%1 \"%2\" %3 (enabled %4)")
                         .arg(shown->objectName(), shown->text())
                         .arg(disabled)
                         .arg(enabled);
    }
    return faint;
}

} // namespace

class TestFormFit : public QObject
{
    Q_OBJECT

    MainApp *app = nullptr;
    RecordingPrompt prompt;
    QStringList misfits;

    void note(const QWidget *widget, const QString &kind, const QString &text, const Room &room)
    {
        const QWidget *cover = room.drawn.isValid() ? coverOf(widget, room) : nullptr;
        if (room.needed <= room.given && !cover)
            return;
        const QWidget *applet = widget;
        while (applet->parentWidget() && !qobject_cast<const Applet *>(applet))
            applet = applet->parentWidget();
        QString misfit = QStringLiteral("%1/%2 %3 \"%4\" needs %5, has %6")
                             .arg(applet->objectName(), widget->objectName(), kind,
                                  QString(text).replace(QLatin1Char('\n'), QLatin1String(" / ")))
                             .arg(room.needed)
                             .arg(room.given);
        if (cover)
            misfit += QStringLiteral(", covered by ") + cover->objectName();
        misfits << misfit;
    }

    // Every shown text widget under form.
    void measure(const QWidget *form)
    {
        for (const QWidget *w : form->findChildren<QWidget *>()) {
            if (!w->isVisible())
                continue;
            if (const auto *label = qobject_cast<const QLabel *>(w))
                note(w, QStringLiteral("label"), label->text(), labelRoom(label));
            else if (const auto *button = qobject_cast<const QAbstractButton *>(w))
                note(w, QStringLiteral("button"), button->text(), buttonRoom(button));
            else if (const auto *box = qobject_cast<const QGroupBox *>(w))
                note(w, QStringLiteral("group"), box->title(), titleRoom(box));
            else if (const auto *edit = qobject_cast<const QLineEdit *>(w))
                note(qobject_cast<const QAbstractSpinBox *>(w->parentWidget()) ? w->parentWidget()
                                                                               : w,
                     QStringLiteral("value"), edit->displayText(), editRoom(edit));
            if (const auto *combo = qobject_cast<const QComboBox *>(w)) {
                for (const auto &[item, room] : comboRooms(combo))
                    note(w, QStringLiteral("item"), item, room);
            }
        }
    }

    // Shows the applet's window at the form's size and lays it out.
    static void show(Applet *applet)
    {
        applet->showWindow();
        applet->container()->raise();
        QApplication::processEvents();
    }

    static void shoot(QWidget *widget, const QString &name)
    {
        const QString folder = qEnvironmentVariable("KVL_FORM_SHOTS");
        if (folder.isEmpty())
            return;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(TestFiles::installShippedConfiguration());
        MainApp::applyStyleSheet();
        app = MainApp::instance();
        QCOMPARE(QFontInfo(QApplication::font()).family(), FormFont::substitute());
        QCOMPARE(QApplication::font().pointSize(), FormFont::pointSize());
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        app->mainWindow()->resize(1920, 1080);
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
        // The hidden tool windows wait for their first show to be polished and laid out.
        for (int i = 1; i < app->appletCount(); ++i)
            QVERIFY2(!app->applet(i)->testAttribute(Qt::WA_WState_Polished),
                     qPrintable(app->applet(i)->objectName()));
    }

    // On the offscreen platform's own small screen (800 pixels wide) the main window fills the
    // screen and the board page, first opened by a connection to "mockup", is larger than its
    // window: its pages, polished as they are first shown, lay the page out at its smallest
    // size, which scrolls inside the window, and every text fits. (First: the other cases show
    // the page in a window of its full size.)
    void boardTabsFitSmallScreen()
    {
        const QRect large = app->mainWindow()->geometry();
        app->mainWindow()->setGeometry(app->mainWindow()->screen()->availableGeometry());
        Applet *board = app->findApplet(QStringLiteral("Board"), MainApp::ByName);
        const QRect built = board->container()->geometry();
        QVERIFY(app->connectBoard(QStringLiteral("mockup")));
        QTRY_VERIFY(board->isWindowVisible());
        auto *pages = board->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        const auto pageFits = [this, board]() {
            misfits.clear();
            measure(board);
            return misfits.isEmpty();
        };
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTRY_VERIFY2(pageFits(), qPrintable(misfits.join(QStringLiteral("; "))));
        }
        QVERIFY(board->width() > board->container()->width());
        app->disconnectBoard();
        app->mainWindow()->setGeometry(large);
        board->container()->setGeometry(built);
    }

    // The tool windows, each page of the board form, and the list of what does not fit.
    void everyTextFits()
    {
        for (int i = 1; i < app->appletCount(); ++i) {
            Applet *applet = app->applet(i);
            show(applet);
            // A form with pages is measured with each page shown; its picture shows the last
            // one (the board's Animation tab).
            auto *pages = applet->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
            for (int page = 0; page < (pages ? pages->count() : 1); ++page) {
                if (pages)
                    pages->setCurrentIndex(page);
                QApplication::processEvents();
                measure(applet);
            }
            shoot(applet->container(), applet->objectName());
        }
        misfits.removeDuplicates();
        for (const QString &misfit : std::as_const(misfits))
            qInfo().noquote() << misfit;
        QVERIFY2(misfits.isEmpty(),
                 qPrintable(QStringLiteral("%1 texts do not fit").arg(misfits.size())));
    }

    // Every button, line-edit and label style of the forms and the main window, disabled: its
    // text still reads, and reads less than enabled.
    void disabledTextsRead()
    {
        const QWidget *root = app->mainWindow();
        const auto buttons = stylesOf<QPushButton>(root, QLatin1String("QPushButton"));
        const auto edits = stylesOf<QLineEdit>(root, QLatin1String("QLineEdit"));
        const auto labels = stylesOf<QLabel>(root, QLatin1String("QLabel"));
        QVERIFY(buttons.size() > 5 && edits.size() > 1 && labels.size() > 1);
        const QStringList faint =
            faintWhenDisabled(buttons) + faintWhenDisabled(edits) + faintWhenDisabled(labels);
        QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral(", "))));
    }

    // The texts the board page sets into its fixed labels at run time, the longest of their
    // kind: the sizes of the largest script and the refusals of scripts and lists. A list row
    // adds copies of its script to the list (the rows keep the list: more than 255 copies
    // come last).
    void scriptTextsFit_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QByteArray>("addresses");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("shown");
        const QByteArray all = ScriptCsv::ones(43);
        QTest::newRow("steps") << 1 << QByteArray("5") << 256 << 0
                               << "Invalid script: more than 255 steps";
        QTest::newRow("addresses")
            << 3 << QByteArray("5,6") << 1 << 0 << "Invalid script: fewer addresses than devices";
        QTest::newRow("address") << 1 << QByteArray("256") << 1 << 0
                                 << "Invalid script: address outside 0..255";
        QTest::newRow("size") << 43 << all << 255 << 0 << "Reached max size 130560 B";
        QTest::newRow("list end") << 24 << ScriptCsv::ones(24) << 255 << 2
                                  << "Invalid script list: it ends past 0x80050000";
        QTest::newRow("list length")
            << 1 << QByteArray("5") << 1 << 256 << "Invalid script list: more than 255 scripts";
    }

    void scriptTextsFit()
    {
        QFETCH(int, devices);
        QFETCH(QByteArray, addresses);
        QFETCH(int, steps);
        QFETCH(int, copies);
        QFETCH(QString, shown);
        Applet *board = app->findApplet(QStringLiteral("Board"), MainApp::ByName);
        QVERIFY(board);
        show(board);
        auto *pages = board->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        pages->setCurrentIndex(pages->count() - 1); // Animation
        QVERIFY(TestFiles::write(
            QStringLiteral("script.csv"),
            ScriptCsv::script(devices, addresses, ScriptCsv::steps(steps, devices))));
        prompt.queueFile(QFileInfo(QStringLiteral("script.csv")).absoluteFilePath());
        QVERIFY(QMetaObject::invokeMethod(board, "on_pbLoadCSV_clicked"));
        for (int i = 0; i < copies; ++i)
            QVERIFY(QMetaObject::invokeMethod(board, "on_pbAddToList_clicked"));
        QVERIFY(QMetaObject::invokeMethod(board, copies ? "on_pbStartScript_clicked"
                                                        : "on_pbFlashMCU_clicked"));
        QCOMPARE(board->findChild<QLabel *>(QStringLiteral("lbUsedFlashSize"))->text(), shown);
        misfits.clear();
        measure(board);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }

    // The log's counts in the status bar, three and four digits long.
    void logCountsFit()
    {
        Logs *logs = app->logs();
        logs->messageBoxBox()->setChecked(false);
        logs->hornButton()->setChecked(false);
        // Counted from zero: whatever the running program logged before does not matter here.
        logs->resetCounters();
        for (int i = 0; i < 1000; ++i)
            logs->slot_addLog(i < 100 ? -1 : i < 200 ? 1 : 0, QStringLiteral("entry"));
        QTRY_COMPARE(logs->statusLabel()->text(),
                     QStringLiteral("Err:<font color=red>100</font> "
                                    "Warn:<font color=magenta>100</font> "
                                    "Inf:<font color=black>800</font>"));
        for (int i = 0; i < 9200; ++i)
            logs->slot_addLog(0, QStringLiteral("entry"));
        QTRY_VERIFY(logs->statusLabel()->text().endsWith(">10000</font>"));
        QApplication::processEvents(); // the bar laid out for the label's new size
        misfits.clear();
        measure(app->mainWindow()->statusBar());
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }

    // Every tab of the board page as the set-up shows it for each driver board: the set-up
    // enables the driver's tab and shows the widgets of the board it finds.
    void boardTabsFitEachDriver_data()
    {
        QTest::addColumn<int>("image");
        QTest::newRow("KVL52205") << int(FakeSpiEeprom::Kvl52205Board);
        QTest::newRow("KVL52404") << int(FakeSpiEeprom::Kvl52404Board);
    }

    void boardTabsFitEachDriver()
    {
        QFETCH(int, image);
        SimulatedBoard sim{FakeSpiEeprom::Image(image)};
        Applet *board = app->findApplet(QStringLiteral("Board"), MainApp::ByName);
        QVERIFY(app->connectBoard(sim.board.devicePath()));
        show(board);
        auto *pages = board->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        const QString driver = QString::fromLatin1(QTest::currentDataTag());
        QStringList enabled;
        misfits.clear();
        for (int page = 0; page < pages->count(); ++page) {
            if (pages->isTabEnabled(page) && pages->tabText(page).startsWith(QLatin1String("KVL")))
                enabled << pages->tabText(page);
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            measure(board);
        }
        app->disconnectBoard();
        QCOMPARE(enabled, QStringList{driver});
        misfits.removeDuplicates();
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }

    void cleanupTestCase() { app->shutdown(); }
};

QTEST_MAIN(TestFormFit)
#include "tst_formfit.moc"
