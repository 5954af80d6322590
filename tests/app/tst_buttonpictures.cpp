// Push buttons under the program's look: the style draws a button from a picture it caches, and
// a repaint must find that picture again rather than keep a new one, whatever the button's
// state (a disabled button in the status bar is repainted with every log line). A disabled
// button still shows its grey text.
#include "mainapp.h"
#include "pushbutton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QPixmapCache>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace
{

constexpr int Repaints = 200;
// Far less than the pictures of Repaints repaints would need, were each one kept.
constexpr int SmallCacheKb = 64;

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QPushButton *makeButton(const QString &kind, QWidget *parent)
{
    QPushButton *button = kind.startsWith(QLatin1String("bound"))
                              ? new CustomControls::PushButton(parent)
                              : new QPushButton(parent);
    button->setText(QStringLiteral("Write All"));
    if (kind.contains(QLatin1String("icon"))) {
        QPixmap picture(12, 12);
        picture.fill(Qt::darkGreen);
        button->setText(QString());
        button->setIcon(QIcon(picture));
        button->setFixedSize(20, 20); // as the connection bar's rescan button
    }
    if (kind.contains(QLatin1String("checked"))) {
        button->setCheckable(true);
        button->setChecked(true);
    }
    button->setEnabled(!kind.contains(QLatin1String("disabled")));
    return button;
}

// A disabled field of the kinds the forms hold: they take their grey text from the palette too.
QWidget *makeDisabledField(const QString &kind, QWidget *parent)
{
    QWidget *field = nullptr;
    if (kind.endsWith(QLatin1String("combo"))) {
        auto *combo = new QComboBox(parent);
        combo->addItems({QStringLiteral("1 MHz"), QStringLiteral("2 MHz")});
        field = combo;
    } else if (kind.endsWith(QLatin1String("spin"))) {
        field = new QSpinBox(parent);
    } else {
        field = new QLineEdit(QStringLiteral("12.5"), parent);
    }
    field->setEnabled(false);
    return field;
}

} // namespace

class ButtonPicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_cacheLimit = QPixmapCache::cacheLimit();
        MainApp::applyStyleSheet();
        QVERIFY(!qApp->styleSheet().isEmpty());
    }

    void cleanup()
    {
        QPixmapCache::setCacheLimit(m_cacheLimit);
        QPixmapCache::clear();
    }

    void repaintsKeepNoNewPictures_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"enabled", "disabled", "disabled icon", "disabled checked",
                                 "bound enabled", "bound disabled", "disabled field combo",
                                 "disabled field spin", "disabled field edit"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    // A picture put into the cache before the repaints is still there after them: the
    // repaints added nothing that pushed it out.
    void repaintsKeepNoNewPictures()
    {
        QFETCH(QString, kind);
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        QWidget *button = kind.contains(QLatin1String("field")) ? makeDisabledField(kind, &window)
                                                                : makeButton(kind, &window);
        layout->addWidget(button);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QPixmapCache::clear();
        QPixmapCache::setCacheLimit(SmallCacheKb);
        button->repaint(); // the button's own pictures go into the cache

        QPixmap marker(16, 16);
        marker.fill(Qt::magenta);
        const QPixmapCache::Key key = QPixmapCache::insert(marker);
        QVERIFY(key.isValid());
        PaintCounter counter(button);
        for (int i = 0; i < Repaints; ++i)
            button->repaint();
        QCOMPARE(counter.paints, Repaints);
        QPixmap found;
        QVERIFY2(QPixmapCache::find(key, &found), "the repaints kept new pictures");
    }

    // A disabled button's text is as grey as a button whose own style sheet colours it.
    void disabledTextIsGrey()
    {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        QPushButton *program = makeButton(QStringLiteral("disabled"), &window);
        QPushButton *reference = makeButton(QStringLiteral("disabled"), &window);
        reference->setStyleSheet(QStringLiteral("color: #4d4d4d;"));
        layout->addWidget(program);
        layout->addWidget(reference);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(program->size(), reference->size());
        // Under the style's own palette the text would be a lighter grey.
        QCOMPARE(program->grab().toImage(), reference->grab().toImage());
    }

private:
    int m_cacheLimit = 0;
};

QTEST_MAIN(ButtonPicturesTest)
#include "tst_buttonpictures.moc"
