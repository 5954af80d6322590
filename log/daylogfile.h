#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTime>

// The day's log file, an entry's line at a time. A write that fails (a full disk) is taken back
// whole, so the file never ends in a cut line; the entries that follow are counted as lost until
// a write succeeds again, which first puts a line in the file saying how many were lost, since
// when, and why. While the disk has no free block left, no write is tried: a short line that
// fits into the room left in the file's last block would resume it only to stop it again.
class DayLogFile
{
public:
    // What an append did: Written; Stopped (this write failed, the first since the last that
    // worked); Lost (the writes still fail); Resumed (written again, after the lost entries' line).
    enum Outcome { Written, Stopped, Lost, Resumed };

    // Opens the file at path for appending (made with mode 0600 when missing); false with the
    // reason in *error. Reopened, the same file still says which entries it lacks.
    bool open(const QString &path, QString *error);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    // Whether it is open and its last write worked.
    bool writes() const { return isOpen() && m_lost == 0; }
    const QString &fileName() const { return m_path; }

    Outcome append(const QByteArray &line);
    // Why the last failed write failed.
    const QString &failure() const { return m_failure; }
    // When the entries began to be lost.
    QTime lostSince() const { return m_lostSince; }

private:
    bool writeWhole(const QByteArray &bytes);
    bool diskFull() const;
    QByteArray lostLine() const;

    QFile m_file;
    QString m_path;
    QString m_failure;
    qint64 m_lost = 0;
    QTime m_lostSince;
};
