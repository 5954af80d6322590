// The board form in the running page: its pages, and the items and commands its widgets are
// bound to by name.
#include "boardappfixture.h"
#include "ui_board.h"
#include "universalcontrol.h"
#include "variable.h"

#include <QAbstractButton>
#include <QTabWidget>

namespace
{

// The binding of a widget: its accessible name, or empty for a plain Qt widget.
QString bindingOf(QWidget *widget)
{
    return dynamic_cast<CustomControls::UniversalControl *>(widget) ? widget->accessibleName()
                                                                    : QString();
}

// A form host with one by-name slot, as the board page has them.
class SlotHost : public QWidget
{
    Q_OBJECT
public:
    int clicks = 0;
public slots:
    void on_pbAA_clicked() { ++clicks; }
};

} // namespace

class TestBoardForm : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void pages()
    {
        auto *tabs = f.widget<QTabWidget>("tabWidget");
        QStringList pages;
        for (int i = 0; i < tabs->count(); ++i)
            pages << tabs->widget(i)->objectName() + ':' + tabs->tabText(i);
        QCOMPARE(pages.join(' '),
                 QStringLiteral("application:Application control:Control registers "
                                "status:Status registers p205:KVL52205 "
                                "P404:KVL52404 animation:Animation"));
    }

    // Every named binding of a value widget reaches an item of the page; each bank field of
    // the control page is bound once in the whole form; the two power-stage pages share their
    // common items.
    void bindings()
    {
        QMap<QString, QStringList> bound;
        for (QWidget *w : f.page()->findChildren<QWidget *>()) {
            const QString binding = bindingOf(w);
            if (binding.isEmpty())
                continue;
            bound[binding] << w->objectName();
            if (!qobject_cast<QAbstractButton *>(w) || w->inherits("QCheckBox"))
                QVERIFY2(f.page()->get(binding, Variable::InternalKey).isValid(),
                         qPrintable(w->objectName() + " " + binding));
        }
        int bankFields = 0;
        for (QWidget *w : f.widget<QWidget>("control")->findChildren<QWidget *>()) {
            if (bindingOf(w).startsWith(QLatin1String("BANK["))) {
                ++bankFields;
                QCOMPARE(bound.value(bindingOf(w)).size(), 1);
            }
        }
        QCOMPARE(bankFields, 12 + 2 + 36 + 7);
        const QStringList shared{"IAVERAGE1 leIAVERAGE1 leIAVERAGE1P404 le_BUCK1CURRENT",
                                 "BOOSTPWM cbBOOSTPWM cbBSTSYNCP404",
                                 "BoostVoltage leBoostVoltage leVBSTSET",
                                 "BoostVoltageMeas leVBOOST leVBSTV",
                                 "LEDCTRL2 cbLEDCTRL2 cbLEDCTRL2P404",
                                 "DUTY1 leDUTY1 leDUTY1P404",
                                 "P205STATUS[BOOST_OV] cbBOST_OV",
                                 "SPI_MAPP404[BUCK2_FREQ] cmBCK2FREQ",
                                 "readStatus pbSpiP205_readStatus"};
        for (const QString &row : shared) {
            QStringList widgets = bound.value(row.section(' ', 0, 0));
            widgets.sort();
            QCOMPARE(row.section(' ', 0, 0) + ' ' + widgets.join(' '), row);
        }
    }

    // The form connects nothing by name: the page's own call makes each slot fire once.
    void slotsByNameFireOnce()
    {
        SlotHost host;
        Ui::Board ui;
        ui.setupUi(&host);
        QMetaObject::connectSlotsByName(&host);
        ui.pbAA->click();
        QCOMPARE(host.clicks, 1);
    }
};

QTEST_MAIN(TestBoardForm)
#include "tst_boardform.moc"
