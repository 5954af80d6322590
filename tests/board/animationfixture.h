#pragma once

// The board page on a FakeBoard with its flash and script playback, CSV script files written
// into the test's working directory, and the pause between flash blocks cut to nothing.
// Header only.
#include "boardappfixture.h"
#include "csvreader.h"
#include "fakeboard_flash.h"
#include "fakeboard_scripts.h"
#include "testfiles.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTableWidget>
#include <QTimer>

// One CSV script file's contents.
struct CsvScript {
    QString description = QStringLiteral("Wave");
    int delay = 100;
    int devices = 1;
    QStringList addresses{QStringLiteral("5")};
    QList<QStringList> steps; // cells after the step number; numbered from 1
    QByteArray eol = "\n";

    // Rows 0 to 5, the steps and "END".
    QByteArray bytes() const
    {
        QByteArray out = "Animation script" + eol;
        out += "DESCRIPTION," + description.toUtf8() + eol;
        out += "DELAY," + QByteArray::number(delay) + eol;
        out += "DEVICES," + QByteArray::number(devices) + eol;
        out += "ADDRESSES," + addresses.join(QLatin1Char(',')).toUtf8() + eol;
        out += "STEP,SW1,SW2" + eol;
        for (int i = 0; i < steps.size(); ++i)
            out +=
                QByteArray::number(i + 1) + ',' + steps.at(i).join(QLatin1Char(',')).toUtf8() + eol;
        return out + "END" + eol;
    }
};

// n cells of value v.
inline QStringList cells(int n, int v)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(QString::number(v));
    return out;
}

// Answers the first modal dialog that runs while it lives (a timer on the active modal widget):
// inspect looks at it, then it is accepted or rejected.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(bool accept, std::function<void(QDialog *)> inspect = nullptr)
        : m_accept(accept), m_inspect(std::move(inspect))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this]() { poll(); });
        m_timer.start();
    }
    bool answered() const { return m_answered; }

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        m_timer.stop();
        m_answered = true;
        if (m_inspect)
            m_inspect(dialog);
        if (m_accept)
            dialog->accept();
        else
            dialog->reject();
    }

    QTimer m_timer;
    bool m_accept;
    std::function<void(QDialog *)> m_inspect;
    bool m_answered = false;
};

struct AnimationFixture : BoardAppFixture {
    AnimationFixture()
    {
        Board::setDelayHook([](unsigned) {});
    }
    ~AnimationFixture() { Board::setDelayHook(nullptr); }

    bool start()
    {
        if (!BoardAppFixture::start())
            return false;
        // The connection's set-up gives the script table its columns; make sure it has them.
        QTableWidget *table = widget<QTableWidget>("tableAnimationScripts");
        if (table && table->columnCount() == 0)
            table->setColumnCount(4);
        return table != nullptr;
    }

    // Writes script into the working directory under name and returns its path.
    static QString writeCsv(const QString &name, const CsvScript &script)
    {
        QDir().mkpath(QFileInfo(name).absolutePath());
        return TestFiles::write(name, script.bytes()) ? QFileInfo(name).absoluteFilePath()
                                                      : QString();
    }

    // "Load CSV" answered with path.
    void loadCsv(const QString &path)
    {
        prompt.queueFile(path);
        page()->on_pbLoadCSV_clicked();
    }
    void loadScript(const CsvScript &script, const QString &name = QStringLiteral("s.csv"))
    {
        loadCsv(writeCsv(name, script));
    }

    FakeBoardFlash flash{board};
    FakeBoardScripts scripts{board, flash};
};
