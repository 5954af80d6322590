#pragma once

// The last exchanges between the program's link and the simulated board, both sides in one
// list stamped with the milliseconds since the log began: the link's own log lines (TX, RX,
// RX_ERR, INF, with the link's log switched on) and what the board heard and answered. A test
// prints it when the board heard something else than it expected, so a failure under load
// shows which side was late or what the link took for an answer. Header only.
#include "controlboard.h"
#include "fakeboard.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QString>
#include <QStringList>

class ExchangeLog
{
public:
    static constexpr int Kept = 400;

    ExchangeLog(ControlBoard *link, FakeBoard &board) : m_link(link), m_board(board)
    {
        m_clock.start();
        m_connection = QObject::connect(
            link, &ControlBoard::signal_log, link,
            [this](int, const QString &text) { add(QStringLiteral("link  "), text); },
            Qt::DirectConnection);
        m_wasLogging = link->isLogEnabled();
        link->setLogEnabled(true);
        board.setTrace([this](const QByteArray &text) {
            add(QStringLiteral("board "), QString::fromLatin1(text));
        });
    }
    ~ExchangeLog()
    {
        m_board.setTrace(nullptr);
        QObject::disconnect(m_connection);
        m_link->setLogEnabled(m_wasLogging);
    }
    ExchangeLog(const ExchangeLog &) = delete;
    ExchangeLog &operator=(const ExchangeLog &) = delete;

    // The kept entries, oldest first, one a line.
    QString text() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries.join(QLatin1Char('\n'));
    }

private:
    void add(const QString &side, const QString &text)
    {
        QString entry = QStringLiteral("%1 ms %2%3").arg(m_clock.elapsed(), 7).arg(side, text);
        entry.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        entry.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
        QMutexLocker lock(&m_mutex);
        m_entries.append(entry);
        if (m_entries.size() > Kept)
            m_entries.removeFirst();
    }

    ControlBoard *m_link;
    FakeBoard &m_board;
    QMetaObject::Connection m_connection;
    bool m_wasLogging = false;
    QElapsedTimer m_clock;
    mutable QMutex m_mutex;
    QStringList m_entries;
};
