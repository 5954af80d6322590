#include "bootloader.h"

#include "controlboard.h"
#include "flashblock.h"
#include "prompt.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

const char *const Bootloader::DefaultImagePath = ":/project/firmware.hex";

namespace
{

bool defaultImageExists()
{
    return QFile::exists(QString::fromLatin1(Bootloader::DefaultImagePath));
}

// One box for every record whose checksum does not add up: how many, and the first lines.
QString checksumWarning(const HexFile::Report &report)
{
    QStringList lines;
    for (int line : report.badLines)
        lines.append(QString::number(line));
    const int count = report.checksumErrors;
    const QString where = count > lines.size() ? QStringLiteral("the first in lines")
                          : count > 1          ? QStringLiteral("in lines")
                                               : QStringLiteral("in line");
    return QStringLiteral("Error in HEX file!\n%1 %2 a bad checksum, %3 %4.")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("record has") : QStringLiteral("records have"), where,
             lines.join(QStringLiteral(", ")));
}

} // namespace

Bootloader::Bootloader(ControlBoard *board, QWidget *parent) : QWidget(parent), m_board(board)
{
    buildWindow();
    updateButtons();
}

Bootloader::~Bootloader() = default;

void Bootloader::buildWindow()
{
    setWindowTitle(QStringLiteral("FIRMWARE Update"));
    setFixedSize(518, 163);
    setWindowModality(Qt::ApplicationModal);
    // A dialog: a window manager keeps it above the main window it is modal over.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);

    m_layout = new QGridLayout(this);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("lbPicture"));
    m_picture->setPixmap(QPixmap(QStringLiteral(":/velmcu.png")));
    m_picture->setScaledContents(true);
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("teLog"));
    m_log->setAccessibleName(QStringLiteral("Update log"));
    m_log->setReadOnly(true);
    m_pbLoadHex = new QPushButton(QStringLiteral("LoadHex"), this);
    m_pbLoadHex->setObjectName(QStringLiteral("pbLoadHex"));
    m_pbDefault = new QPushButton(QStringLiteral("Default"), this);
    m_pbDefault->setObjectName(QStringLiteral("pbDefault"));
    m_pbFlash = new QPushButton(QStringLiteral("Flash"), this);
    m_pbFlash->setObjectName(QStringLiteral("pbFlash"));
    m_pbRestart = new QPushButton(QStringLiteral("Restart"), this);
    m_pbRestart->setObjectName(QStringLiteral("pbRestart"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setValue(0);
    m_cbVersionIgnore = new QCheckBox(QStringLiteral("Ignore FW Version incompatibility"), this);
    m_cbVersionIgnore->setObjectName(QStringLiteral("cbVersionIgnore"));

    // Return presses the button that has the keyboard, as in a dialog.
    for (QPushButton *button : {m_pbLoadHex, m_pbDefault, m_pbFlash, m_pbRestart})
        button->setAutoDefault(true);

    m_layout->addWidget(m_picture, 0, 0, 4, 1);
    m_layout->addWidget(m_log, 0, 1, 4, 1);
    m_layout->addWidget(m_pbLoadHex, 0, 2);
    m_layout->addWidget(m_pbDefault, 1, 2);
    m_layout->addWidget(m_pbFlash, 2, 2);
    m_layout->addWidget(m_pbRestart, 3, 2);
    m_layout->addWidget(m_cbVersionIgnore, 4, 1, 1, 2);
    m_layout->addWidget(m_progress, 5, 0, 1, 3);

    connect(m_pbDefault, &QPushButton::clicked, this, &Bootloader::slot_pbDefault_clicked);
    connect(m_pbFlash, &QPushButton::clicked, this, &Bootloader::slot_pbFlash_clicked);
    connect(m_pbLoadHex, &QPushButton::clicked, this, &Bootloader::slot_pbLoadHex_clicked);
    connect(m_pbRestart, &QPushButton::clicked, this, &Bootloader::slot_pbRestart_clicked);
    connect(m_cbVersionIgnore, &QCheckBox::clicked, this,
            &Bootloader::slot_cbVersionIgnore_clicked);
}

void Bootloader::setIgnoreVersion(bool ignore)
{
    m_cbVersionIgnore->setChecked(ignore);
}

bool Bootloader::ignoreVersion() const
{
    return m_cbVersionIgnore->isChecked();
}

void Bootloader::appendLog(const QString &html)
{
    m_log->appendHtml(html);
}

void Bootloader::updateButtons()
{
    m_pbLoadHex->setEnabled(!m_busy);
    m_pbDefault->setEnabled(!m_busy && defaultImageExists());
    // Flashing an empty image would send only the end marker: Flash needs loaded bytes.
    m_pbFlash->setEnabled(!m_busy && m_hex.size() > 0);
    m_pbRestart->setEnabled(!m_busy);
}

// Escape closes the window, as it closes a dialog, unless an image is being flashed.
void Bootloader::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !m_busy)
        close();
    else
        QWidget::keyPressEvent(event);
}

void Bootloader::setBusy(bool busy)
{
    m_busy = busy;
    updateButtons();
}

bool Bootloader::loadHex(const QString &path)
{
    if (m_busy)
        return false;
    const HexFile::Report report = m_hex.load(path);
    updateButtons();
    switch (report.result) {
    case HexFile::NotOpened:
        if (QFileInfo::exists(path)) // what is there but cannot be read; a missing file is quiet
            Prompt::warn(QStringLiteral("Error"), report.error);
        return false;
    case HexFile::BadFormat:
        Prompt::warn(QStringLiteral("Error"), QStringLiteral("bad HEX file format!"));
        return false;
    case HexFile::Truncated:
        Prompt::warn(QString(), QStringLiteral("Error in HEX file!"));
        return false;
    case HexFile::Loaded:
        break;
    }
    if (report.checksumErrors > 0)
        Prompt::warn(QString(), checksumWarning(report));
    appendLog(QStringLiteral("File loaded ::<font color=blue>") + path.toHtmlEscaped() +
              QStringLiteral("</font>"));
    if (report.skippedBytes > 0)
        appendLog(QStringLiteral("<font color=red>%1 bytes outside the image were skipped</font>")
                      .arg(report.skippedBytes));
    m_progress->setValue(0);
    return true;
}

void Bootloader::slot_pbLoadHex_clicked()
{
    const QString path = Prompt::openFile(QStringLiteral("Spec path"), QStringLiteral("Firmware"),
                                          QStringLiteral("Files (*.hex)"));
    loadHex(path);
}

void Bootloader::slot_pbDefault_clicked()
{
    loadHex(QString::fromLatin1(DefaultImagePath));
}

void Bootloader::slot_pbFlash_clicked()
{
    if (m_busy)
        return;
    if (!m_board || !m_board->isConnected()) {
        Prompt::warn(QString(), QStringLiteral("VELMCU board is not connected!"));
        return;
    }
    setBusy(true);
    if (flashImage())
        appendLog(QStringLiteral("Finished.\n Please restart MCU! it can take up to 10 seconds"));
    else
        reportFlashError();
    setBusy(false);
}

bool Bootloader::sendBlock(const QByteArray &line, bool requireOk)
{
    QByteArray answer;
    if (!m_board->send(line, &answer) || FlashBlock::answerRefused(answer))
        return false;
    return !requireOk || FlashBlock::answerOk(answer);
}

bool Bootloader::flashImage()
{
    // A shared copy: the image stays as it is while events run between blocks.
    const QByteArray data = m_hex.data();
    const char *image = data.constData();
    const int size = int(data.size());
    const int blocks = size / FlashBlock::BlockSize;
    const int rest = size % FlashBlock::BlockSize;
    m_progress->setMaximum(blocks);
    m_progress->setValue(0);
    appendLog(QStringLiteral("Flash..."));

    for (int i = 0; i < blocks; ++i) {
        const int offset = i * FlashBlock::BlockSize;
        const bool ok = sendBlock(FlashBlock::line(FlashBlock::BaseAddress + quint32(offset),
                                                   image + offset, FlashBlock::BlockSize),
                                  false);
        m_progress->setValue(i + 1);
        QCoreApplication::processEvents();
        if (!ok)
            return false;
    }
    if (rest != 0) {
        const int offset = blocks * FlashBlock::BlockSize;
        if (!sendBlock(
                FlashBlock::line(FlashBlock::BaseAddress + quint32(offset), image + offset, rest),
                true))
            return false;
        m_progress->setValue(m_progress->maximum());
    }
    if (m_endMarker.isEmpty())
        m_endMarker = FlashBlock::endMarker();
    return sendBlock(m_endMarker, false);
}

void Bootloader::reportFlashError()
{
    appendLog(QStringLiteral("<font color=red> Error</font>"));
    Prompt::warn(QString(), QStringLiteral("Some error during sending appears"));
}

void Bootloader::slot_pbRestart_clicked()
{
    if (m_busy)
        return;
    setBusy(true);
    appendLog(QStringLiteral("Restarting..."));
    QCoreApplication::processEvents();
    if (m_board)
        m_board->resetBoard();
    appendLog(QStringLiteral("Done!"));
    setBusy(false);
}

void Bootloader::slot_cbVersionIgnore_clicked()
{
    const bool ignore = m_cbVersionIgnore->isChecked();
    emit signal_ignoreVersionChanged(ignore);
    appendLog(QStringLiteral("Compatibility checking is %1")
                  .arg(ignore ? QStringLiteral("DISABLED") : QStringLiteral("ENABLED")));
}
