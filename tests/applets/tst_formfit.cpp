// The tool windows wait for their first show to be polished and laid out (the start leaves
// them as built). Every text of every form fits its widget under the forms' font: each tool
// window and each page of the board form is shown at the form's size, and every label,
// button, check box, radio button, group title, combo item and line-edit or spin-box value
// wider than the room its widget gives it, or hidden under a sibling stacked above it, is
// listed. With KVL_FORM_SHOTS naming a folder, the test also writes a picture of each tool
// window there (the board's shows its Animation tab).
#include "formfont.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

// A plain label's widest line against its contents less its margin and indent; a rich-text
// label's own size hint against its width.
Room labelRoom(const QLabel *label)
{
    if (label->text().isEmpty() || label->wordWrap())
        return {};
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

    void cleanupTestCase() { app->shutdown(); }
};

QTEST_MAIN(TestFormFit)
#include "tst_formfit.moc"
