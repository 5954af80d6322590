#pragma once

// Collects the (level, text) pairs of a signal_log(int,QString) from any thread (header only).
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QPair>
#include <QString>

class LogRecorder
{
public:
    template <typename Sender> explicit LogRecorder(Sender *sender)
    {
        m_connection = QObject::connect(
            sender, &Sender::signal_log, sender,
            [this](int level, const QString &text) { add(level, text); }, Qt::DirectConnection);
    }

    ~LogRecorder() { QObject::disconnect(m_connection); }
    LogRecorder(const LogRecorder &) = delete;
    LogRecorder &operator=(const LogRecorder &) = delete;

    void add(int level, const QString &text)
    {
        QMutexLocker lock(&m_mutex);
        m_entries.append({level, text});
    }
    QList<QPair<int, QString>> entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto &e : entries())
            out.append(e.second);
        return out;
    }
    // Entries whose text starts with prefix.
    QList<QPair<int, QString>> starting(const QString &prefix) const
    {
        QList<QPair<int, QString>> out;
        for (const auto &e : entries()) {
            if (e.second.startsWith(prefix))
                out.append(e);
        }
        return out;
    }
    bool contains(const QString &part) const
    {
        for (const auto &e : entries()) {
            if (e.second.contains(part))
                return true;
        }
        return false;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
    }

private:
    QMetaObject::Connection m_connection;
    mutable QMutex m_mutex;
    QList<QPair<int, QString>> m_entries;
};
