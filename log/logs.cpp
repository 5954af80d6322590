#include "logs.h"

#include "accessiblenames.h"
#include "beeper.h"
#include "errorbar.h"
#include "htmllistbox.h"
#include "loghost.h"
#include "programfiles.h"
#include "variantutil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

#include <malloc.h>

const char *const Logs::ErrorBeepPattern = "1000:100;1200:200;2000:100";

namespace
{

// Lines of levels beyond Qt's table of global colours.
const QColor HighTraceColor(Qt::darkCyan);
// The pipe's trace lines: Qt's cyan (its place in the table) is too faint on white.
constexpr int PipeTraceLevel = 110;
const QColor PipeTraceColor(0, 112, 140);
const QSize FormSize(535, 367);
// Characters that would act rather than show: control characters and line or paragraph breaks.
bool actsAsControl(char16_t code)
{
    return code < 0x20 || (code >= 0x7f && code < 0xa0) || code == 0x2028 || code == 0x2029;
}
constexpr int StatusMinWidth = 120; // the counters' label

} // namespace

Logs::Logs(LogHost *host, QWidget *parent) : Applet(parent), m_host(host ? host : LogHost::empty())
{
    setupUi();
}

Logs::~Logs()
{
    // A beep still playing would outlive the tone output that the program tears down after us.
    if (m_beeper)
        m_beeper->wait();
    // The status widgets belong to the status bar once placed; they have no use without us.
    delete m_horn;
    delete m_statusLabel;
}

void Logs::setupUi()
{
    setObjectName(QStringLiteral("Logs"));
    resize(FormSize);
    setWindowIcon(QIcon(QStringLiteral(":/buttons/log")));
    setWindowTitle(QStringLiteral("Logs"));

    m_layout = new QGridLayout(this);
    cbSaveLog = new QCheckBox(this);
    cbSaveLog->setObjectName(QStringLiteral("cbSaveLog"));
    cbSaveLog->setText(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                       QStringLiteral(".log"));
    m_list = new CustomControls::HtmlListBox(this);
    m_console = new QLineEdit(this);
    m_console->setAccessibleName(QStringLiteral("Send to board"));
    pbClear = new QPushButton(QStringLiteral("Clear"), this);
    pbClear->setObjectName(QStringLiteral("pbClear"));
    m_translater = new QCheckBox(QStringLiteral("Translater"), this);
    m_messageBox = new QCheckBox(QStringLiteral("MessageBox"), this);
    m_messageBox->setChecked(true);
    m_list->setMaximumRows(ListedLines);
    m_list->setAccessibleName(QStringLiteral("Log"));
    m_droppedNote = new QLabel(this);
    m_droppedNote->setWordWrap(true);
    m_droppedNote->hide();

    m_layout->addWidget(cbSaveLog, 0, 0, 1, 3);
    m_layout->addWidget(m_droppedNote, 1, 0, 1, 3);
    m_layout->addWidget(m_list, 2, 0, 1, 3);
    m_layout->addWidget(m_console, 3, 0, 1, 3);
    m_layout->addWidget(pbClear, 4, 0);
    m_layout->addWidget(m_translater, 4, 1);
    m_layout->addWidget(m_messageBox, 4, 2);

    // Placed into the main window's status bar by init().
    m_horn = new QPushButton;
    m_horn->setIcon(QIcon(QStringLiteral(":/buttons/horn")));
    m_horn->setCheckable(true);
    m_horn->setChecked(true);
    m_horn->setFixedSize(23, 23);
    m_horn->setAccessibleName(QStringLiteral("Beep on errors"));
    m_statusLabel = new QLabel; // sized to its counts by updateStatus()

    createContainer(DockContainer, m_host->logParent());

    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_contextMenu = new QMenu(this);
    QAction *copy = m_contextMenu->addAction(QStringLiteral("Copy"));
    QAction *copyAll = m_contextMenu->addAction(QStringLiteral("Copy All"));

    connect(copy, &QAction::triggered, this, &Logs::slot_ActionCopy);
    connect(copyAll, &QAction::triggered, this, &Logs::slot_ActionCopyAll);
    connect(m_console, &QLineEdit::returnPressed, this, &Logs::slot_ControllerSend);
    connect(pbClear, &QPushButton::clicked, this, &Logs::slot_pbClear_clicked);
    connect(cbSaveLog, &QCheckBox::toggled, this, &Logs::slot_cbSaveLog_toggled);
    connect(m_list, &QWidget::customContextMenuRequested, this, &Logs::slot_LogContextMenu);
    connect(m_list, &CustomControls::HtmlListBox::signal_rowsDropped, this, &Logs::showDroppedNote);
    connect(cbSaveLog, &QCheckBox::toggled, this, [this]() { updateDroppedNote(); });
}

QSize Logs::sizeHint() const
{
    return FormSize;
}

bool Logs::init()
{
    m_host->addStatusWidget(m_horn);
    m_host->addStatusWidget(m_statusLabel);
    m_list->clear();
    errorCount = 0;
    infoCount = 0;
    warningCount = 0;
    updateStatus();
    return true;
}

bool Logs::hasCommand(const QString &command) const
{
    return command.toLower() == QLatin1String("log");
}

QVariant Logs::run(const QString &command, const QVariant &args)
{
    if (command.isEmpty() || isNullVariant(args))
        return QVariant(false);
    if (hasCommand(command)) {
        slot_addLog(0, args.toString());
        return QVariant(true);
    }
    return QVariant(false);
}

// ---------------------------------------------------------------- entries

QString Logs::colorOfLevel(int level)
{
    if (level < 0)
        return QStringLiteral("red");
    if (level == 0)
        return QStringLiteral("black");
    if (level <= 100)
        return QStringLiteral("magenta");
    if (level == PipeTraceLevel)
        return PipeTraceColor.name();
    if (level <= 119)
        return QColor(Qt::GlobalColor(level - 100)).name();
    return HighTraceColor.name();
}

QByteArray Logs::fileLine(int level, const QString &text)
{
    return QStringLiteral("C(%1) %2 ::: %3 \n").arg(level).arg(QString(), text).toLatin1();
}

QString Logs::shownText(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return actsAsControl(c.unicode()); }))
        return text;
    // The line ends that end the text end the entry: line feeds, and carriage returns (a board
    // may end its lines with CR LF).
    const auto endsLine = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    qsizetype end = text.size();
    while (end > 0 && endsLine(text.at(end - 1)))
        --end;
    QString shown;
    shown.reserve(end + 8);
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text.at(i);
        const char16_t code = c.unicode();
        if (code == u'\r' && i + 1 < end && text.at(i + 1) == QLatin1Char('\n'))
            continue; // CR LF is one line end
        if (code == u'\n')
            shown += QLatin1String("<cr>");
        else if (code == u'\t')
            shown += QLatin1Char(' ');
        else if (code > 0xff && actsAsControl(code))
            shown += QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
        else if (actsAsControl(code))
            shown += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

// The text is shown as it is, never read as markup, in the list, the error bar and the day's
// file alike.
void Logs::slot_addLog(int level, QString text)
{
    const bool listed = level < 0 || m_listing || m_host->isLogComm();
    if (listed)
        text = shownText(text);
    countAndAlert(level, text);
    if (listed) {
        QString lead;
        if (level < 0)
            lead = QStringLiteral("C(%1) [%2]")
                       .arg(level)
                       .arg(QDateTime::currentDateTime().toString(Qt::TextDate));
        if (m_dayLog.isOpen())
            writeDayLog(fileLine(level, text));
        m_list->addLine(lead, QLatin1Char(' ') + translate(text), colorOfLevel(level));
        if (level < 0) // told to a screen reader as a log tells its news
            m_list->announceNewest();
        // Current but not selected: the selection's background would hide the level colours.
        m_list->followLastRowSoon();
    }
    // A new text would repaint the bar for each entry of a burst: the counts show paced.
    m_statusCounts.ask();
}

void Logs::addListed(int level, const QString &text)
{
    const Listing listing(this);
    slot_addLog(level, text);
}

void Logs::countAndAlert(int level, const QString &text)
{
    if (level < 0) {
        // One pattern at a time: a burst of errors would otherwise start a thread each.
        if (m_horn->isChecked() && !m_beeper)
            m_beeper = new Beeper(QString::fromLatin1(ErrorBeepPattern));
        if (ErrorBar *bar = m_messageBox->isChecked() ? errorBar() : nullptr)
            bar->addError(text);
        ++errorCount;
    } else if (level == 0) {
        ++infoCount;
    } else if (level <= 100) {
        ++warningCount;
    }
}

ErrorBar *Logs::errorBar() const
{
    return m_host->errorBar();
}

bool Logs::showsPending() const
{
    const ErrorBar *bar = errorBar();
    return m_list->hasRowsToShow() || m_statusCounts.isAsked() || (bar && bar->isPending());
}

void Logs::resetCounters()
{
    errorCount = 0;
    infoCount = 0;
    warningCount = 0;
    updateStatus();
}

void Logs::updateStatus()
{
    m_statusCounts.cancel();
    if (!m_statusLabel) // the main window has gone with it
        return;
    const QString text = QStringLiteral("Err:<font color=red>%1</font> "
                                        "Warn:<font color=magenta>%2</font> "
                                        "Inf:<font color=black>%3</font>")
                             .arg(errorCount)
                             .arg(warningCount)
                             .arg(infoCount);
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text);
    CustomControls::AccessibleNames::describeByToolTip(m_statusLabel);
    fitStatusLabel(text);
}

// Of a fixed size, the label repaints alone when its text changes, where it would lay out the
// bar and the main window again. Its size follows the number of digits (a digit's width is the
// same for all ten): it grows when a longer text needs more room, and narrows only when the
// counts are reset.
void Logs::fitStatusLabel(const QString &text)
{
    const bool reset = errorCount + warningCount + infoCount == 0;
    if (!reset && text.size() <= m_statusFitLength)
        return;
    m_statusFitLength = text.size();
    const QSize needed = m_statusLabel->sizeHint().expandedTo(QSize(StatusMinWidth, 0));
    const QSize size = reset ? needed : needed.expandedTo(m_statusLabel->minimumSize());
    if (size != m_statusLabel->minimumSize() || size != m_statusLabel->maximumSize())
        m_statusLabel->setFixedSize(size);
}

QString Logs::translate(const QString &text) const
{
    if (!m_translater->isChecked())
        return text;
    QString result = text;
    // Descending key order: a longer key goes before a key that is its prefix.
    for (auto it = translations.constEnd(); it != translations.constBegin();) {
        --it;
        result.replace(it.key(), it.value());
    }
    return result;
}

// ---------------------------------------------------------------- window actions

// The list's memory goes back to the system, not only to the heap.
void Logs::slot_pbClear_clicked()
{
    m_list->clear();
    ::malloc_trim(0);
}

// Said once, not counted on: a new text would lay the window out again at every show.
void Logs::showDroppedNote(qint64 dropped)
{
    updateDroppedNote();
    m_droppedNote->setVisible(dropped > 0);
}

// Whether the lines that left are kept elsewhere follows the day's log file.
void Logs::updateDroppedNote()
{
    QString text = QStringLiteral("Older lines have left this list, which keeps the newest %L1. ")
                       .arg(ListedLines);
    if (!cbSaveLog->isChecked())
        text += QStringLiteral("They are not kept: tick the day's log file above to keep every "
                               "line from now on.");
    else if (m_dayLog.writes())
        text += QStringLiteral("The day's log file keeps every line listed since it was ticked.");
    else
        text += QStringLiteral("The day's log file cannot be written: they are lost.");
    if (m_droppedNote->text() != text)
        m_droppedNote->setText(text);
}

void Logs::slot_cbSaveLog_toggled(bool on)
{
    if (!on) {
        m_dayLog.close();
        return;
    }
    if (m_dayLog.isOpen())
        return;
    // The day's name, in the folder where the program keeps its logs: the user's alone.
    const QString path = m_host->programFiles().stateFile(cbSaveLog->text());
    QString error;
    if (m_dayLog.open(path, &error))
        return;
    // A folder that cannot keep the logs at all is told with what to do about it.
    const QString notKept = m_host->programFiles().stateNotKept();
    slot_addLog(-1, notKept.isEmpty() ? QStringLiteral("Cannot write %1: %2").arg(path, error)
                                      : notKept);
    cbSaveLog->setChecked(false); // nothing is written
}

// A failed write is told once, until the file is written again; the file itself says which
// entries it lacks.
void Logs::writeDayLog(const QByteArray &line)
{
    const DayLogFile::Outcome outcome = m_dayLog.append(line);
    if (outcome == DayLogFile::Stopped)
        m_host->fileNotWritten(
            m_dayLog.fileName(),
            QStringLiteral("%1; the entries from %2 on are not in it until it can be written again")
                .arg(m_dayLog.failure(),
                     m_dayLog.lostSince().toString(QStringLiteral("HH:mm:ss"))));
    else if (outcome == DayLogFile::Resumed)
        m_host->fileWritten(m_dayLog.fileName());
    if (outcome == DayLogFile::Stopped || outcome == DayLogFile::Resumed)
        updateDroppedNote();
}

// The point is the list's viewport's. The row there is the one Copy takes, whatever rows come
// meanwhile.
void Logs::slot_LogContextMenu(QPoint point)
{
    const QModelIndex clicked = m_list->indexAt(point);
    m_clickedRow.reset();
    if (clicked.isValid())
        m_clickedRow = m_list->lineText(clicked.row());
    m_contextMenu->popup(m_list->viewport()->mapToGlobal(point));
}

// The row the menu was opened on; without one, the current row.
void Logs::slot_ActionCopy()
{
    if (m_clickedRow) {
        QApplication::clipboard()->setText(*std::exchange(m_clickedRow, std::nullopt));
        return;
    }
    m_list->showAddedRows(); // the newest entry, also one not shown yet, is the current one
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_list->count())
        return;
    QApplication::clipboard()->setText(m_list->lineText(row));
}

void Logs::slot_ActionCopyAll()
{
    QString all;
    for (int row = 0; row < m_list->count(); ++row)
        all += m_list->lineText(row) + QLatin1Char('\n');
    QApplication::clipboard()->setText(all);
}

void Logs::slot_ControllerSend()
{
    QString text = m_console->text();
    if (text.contains(QLatin1String("<cr>")))
        text.replace(QLatin1String("<cr>"), QLatin1String("\n"));
    else
        text += QLatin1Char('\n');
    // The answer reaches the list through the link's own log lines.
    m_host->sendRawLine(text.toLatin1(), nullptr);
}

void Logs::slot_ResetStatus()
{
    resetCounters();
}
