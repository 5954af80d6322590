#pragma once

#include "applet.h"
#include "daylogfile.h"
#include "pacedcall.h"

#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <optional>
#include <utility>

class Beeper;
class ErrorBar;
class LogHost;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QMenu;

namespace CustomControls
{
class HtmlListBox;
}

// The log window: the end of every component's signal_log. An entry's text is plain text, shown
// as it is in its level's colour (never read as markup); the list keeps the newest ListedLines
// entries. It counts errors, warnings and information entries in the main window's status bar,
// writes the day's log file on request, beeps and shows errors in the main window's error bar,
// copies lines to the clipboard and sends its console line to the board. It lives in a dock on
// the right. What it needs of the program comes through the LogHost it is built with.
class Logs : public Applet
{
    Q_OBJECT

public:
    static const char *const ErrorBeepPattern; // "1000:100;1200:200;2000:100"
    // The list keeps this many of the newest lines; older ones leave it (not the day's file).
    static constexpr int ListedLines = 50000;

    // Without a host, the log has none of the program (LogHost::empty()).
    explicit Logs(LogHost *host = nullptr, QWidget *parent = nullptr);
    ~Logs() override;

    void setupUi();
    bool init() override;
    QVariant run(const QString &command, const QVariant &args) override;
    bool hasCommand(const QString &command) const override; // "log", in any case
    // The form's size: the dock opens wide enough for a command line and its answer.
    QSize sizeHint() const override;

    void resetCounters();
    void updateStatus();
    QString translate(const QString &text) const;

    // The colour name of a level's lines.
    static QString colorOfLevel(int level);
    // The log file line of an entry.
    static QByteArray fileLine(int level, const QString &text);
    // The text as the log shows it, on one line: without the line feeds that end it, another line
    // feed as "<cr>", a tab as a blank, other control characters as escapes ("\x1b").
    static QString shownText(const QString &text);

    int errors() const { return errorCount; }
    int warnings() const { return warningCount; }
    int informations() const { return infoCount; }
    CustomControls::HtmlListBox *list() const { return m_list; }
    QLabel *statusLabel() const { return m_statusLabel; }
    QPushButton *hornButton() const { return m_horn; }
    QCheckBox *saveLogBox() const { return cbSaveLog; }
    QCheckBox *messageBoxBox() const { return m_messageBox; }
    QCheckBox *translaterBox() const { return m_translater; }
    QLineEdit *consoleLine() const { return m_console; }
    // The main window's bar that shows the errors, or null once the main window has gone.
    ErrorBar *errorBar() const;
    // Whether the error pattern still plays (a new error then starts none).
    bool isBeeping() const { return !m_beeper.isNull(); }
    // Whether entries wait for a paced show: the list's rows, the counts or the error bar's text.
    bool showsPending() const;

    // An entry listed whatever the "Log" switch says, as errors are: what the program tells
    // once, such as where it keeps its files.
    void addListed(int level, const QString &text);

    // While one lives, every entry is listed whatever the "Log" switch says, as errors are: such
    // as why a request was refused, where its client points.
    class Listing
    {
    public:
        explicit Listing(Logs *logs)
            : m_logs(logs), m_was(logs && std::exchange(logs->m_listing, true))
        {
        }
        ~Listing()
        {
            if (m_logs)
                m_logs->m_listing = m_was;
        }
        Listing(const Listing &) = delete;
        Listing &operator=(const Listing &) = delete;

    private:
        Logs *m_logs;
        bool m_was;
    };

public slots:
    void slot_addLog(int level, QString text);

private slots:
    void slot_pbClear_clicked();
    void slot_cbSaveLog_toggled(bool on);
    void slot_LogContextMenu(QPoint point);
    void slot_ActionCopy();
    void slot_ActionCopyAll();
    void slot_ControllerSend();
    void slot_ResetStatus();

private:
    void fitStatusLabel(const QString &text);
    void countAndAlert(int level, const QString &text);
    void showDroppedNote(qint64 dropped);
    void writeDayLog(const QByteArray &line);
    void updateDroppedNote();

    LogHost *m_host;
    QMap<QString, QString> translations; // applied while "Translater" is checked; empty
    int errorCount = 0;
    int infoCount = 0;
    int warningCount = 0;
    QGridLayout *m_layout = nullptr;
    QPushButton *pbClear = nullptr;
    QLineEdit *m_console = nullptr;
    QPointer<QLabel> m_statusLabel; // in the status bar once placed
    QCheckBox *m_translater = nullptr;
    CustomControls::HtmlListBox *m_list = nullptr;
    QCheckBox *cbSaveLog = nullptr;
    QCheckBox *m_messageBox = nullptr;
    QPointer<QPushButton> m_horn; // in the status bar once placed
    DayLogFile m_dayLog;
    QMenu *m_contextMenu = nullptr;
    std::optional<QString> m_clickedRow; // the text of the row the context menu was opened on
    QLabel *m_droppedNote = nullptr;     // says that older lines have left the list
    QPointer<Beeper> m_beeper;           // the error pattern while it plays
    PacedCall m_statusCounts{this, [this]() { updateStatus(); }};
    qsizetype m_statusFitLength = 0; // the counters' text that the label's size was fitted to
    bool m_listing = false;          // the entry being added is listed at any level
};
