#pragma once

// The application with the frame, configuration and addressing applets, connected to a
// FakeBoard with the matrix bus, and a board page double that records its buck switching and
// switches the bus outputs (header only).
#include "addressdiscovery.h"
#include "autoaddressing.h"
#include "boardpageaccess.h"
#include "configuration.h"
#include "fakematrixbus.h"
#include "pxn.h"
#include "spiappfixture.h"

#include <QPushButton>
#include <QTableWidget>

// Records "buck1 on", "buck2 off", ... and switches the bus output.
class RecordingBoardPage : public BoardPageAccess
{
public:
    explicit RecordingBoardPage(FakeMatrixBus &bus) : m_bus(bus) {}
    QStringList deviceAddressTexts() const override { return QStringList(); }
    void setBuck1Enabled(bool on) override { record(1, on); }
    void setBuck2Enabled(bool on) override { record(2, on); }

    QStringList calls;

private:
    void record(int output, bool on)
    {
        calls.append(QStringLiteral("buck%1 %2").arg(output).arg(on ? "on" : "off"));
        m_bus.setOutputOn(output, on);
    }

    FakeMatrixBus &m_bus;
};

struct AddressingFixture : SpiAppFixture {
    // Starts the application with no chips on the bus.
    bool start()
    {
        return launch({MainApp::appletFactory<Pxn>(), MainApp::appletFactory<Configuration>(),
                       MainApp::appletFactory<AutoAddressing>(),
                       MainApp::appletFactory<AddressDiscovery>()}) &&
               connectTo(board);
    }

    static Applet *applet(const char *name)
    {
        return MainApp::instance()->findApplet(QString::fromLatin1(name), MainApp::ByName);
    }
    static QTableWidget *table(const char *appletName)
    {
        return applet(appletName)->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    }
    static QPushButton *button(const char *appletName, const char *buttonName)
    {
        return applet(appletName)->findChild<QPushButton *>(QString::fromLatin1(buttonName));
    }

    // The table's cells, one text per row, the cells joined by ",".
    static QStringList rows(QTableWidget *table)
    {
        QStringList result;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c)
                cells.append(table->item(r, c) ? table->item(r, c)->text() : QString());
            result.append(cells.join(QLatin1Char(',')));
        }
        return result;
    }
    // Replaces the addressing table's rows; each row "address,threshold,buck".
    static void setRows(const QStringList &texts)
    {
        QTableWidget *t = table("AutoAddressing");
        t->setRowCount(0);
        for (const QString &text : texts) {
            const int r = t->rowCount();
            t->insertRow(r);
            const QStringList cells = text.split(QLatin1Char(','));
            for (int c = 0; c < cells.size(); ++c)
                t->setItem(r, c, new QTableWidgetItem(cells.at(c)));
        }
    }

    // The frames the chips received since the last call, each as "SA>CSID:data" (a write) or
    // "SA?CSID" (a read request).
    QStringList takeFrames()
    {
        const QList<QPair<int, QByteArray>> all = bus.frames();
        QStringList result;
        for (qsizetype i = m_framesSeen; i < all.size(); ++i)
            result.append(describe(all.at(i).second));
        m_framesSeen = all.size();
        return result;
    }
    static QString describe(const QByteArray &frame)
    {
        const int sa = quint8(frame.at(1)) & 31;
        const int id = quint8(frame.at(2)) & 31;
        if (frame.size() == 3)
            return QStringLiteral("%1?%2").arg(sa).arg(id);
        return QStringLiteral("%1>%2:%3")
            .arg(sa)
            .arg(id)
            .arg(QString::fromLatin1(frame.mid(3, frame.size() - 4).toHex()));
    }

    FakeMatrixBus bus{board};
    qsizetype m_framesSeen = 0;
};
