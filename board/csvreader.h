#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// One CSV animation script: a description, the step delay, the device count, one bus address
// per device and the step rows (cell 0 the step number, then twelve duties per device). The
// board page reads and writes the fields directly.
class CSVReader : public QObject
{
    Q_OBJECT
public:
    explicit CSVReader(QObject *parent = nullptr);

    // Reads a script file. False, with every field kept and the reason in errorString(), when
    // it cannot be read (RegularFile); a file that is read is never refused for its contents.
    bool read(const QString &name);
    QString errorString() const { return m_error; }
    // Replace an existing entry; an index outside the list changes nothing.
    void setAddress(int index, const QString &address);
    void appendStep(const QStringList &step);
    void setStep(const QStringList &step, int index);

    QString description;
    quint8 delay = 0;
    quint8 deviceCount = 0;
    QStringList addresses;
    QList<QStringList> steps;
    QString fileName;

private:
    QString m_error;
    void takeKeywordRows(const QList<QStringList> &rows);
};
