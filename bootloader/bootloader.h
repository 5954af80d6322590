#pragma once

#include "hexfile.h"

#include <QByteArray>
#include <QWidget>

class ControlBoard;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The "FIRMWARE Update" window: loads an Intel HEX image and writes it into the controller's
// flash in "set flash=" blocks through the link, then restarts the board.
class Bootloader : public QWidget
{
    Q_OBJECT
public:
    // The compiled-in default image (present only when the build was given one).
    static const char *const DefaultImagePath; // ":/project/firmware.hex"

    explicit Bootloader(ControlBoard *board, QWidget *parent = nullptr);
    ~Bootloader() override;

    // Reads an Intel HEX file into the image; false when nothing usable was loaded.
    bool loadHex(const QString &path);

    // The image and the number of its bytes to flash.
    const HexFile &hexFile() const { return m_hex; }

    // State of the "Ignore FW Version incompatibility" box; the program sets it from the option
    // "ignore_version" and stores the user's changes from signal_ignoreVersionChanged.
    void setIgnoreVersion(bool ignore);
    bool ignoreVersion() const;

signals:
    void signal_ignoreVersionChanged(bool ignore);

public slots:
    void slot_pbLoadHex_clicked();
    void slot_pbFlash_clicked();
    void slot_pbDefault_clicked();
    void slot_pbRestart_clicked();
    void slot_cbVersionIgnore_clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    void appendLog(const QString &html);
    // Sends one block line; true when the board took it. requireOk: the answer must also say
    // "flash:ok".
    bool sendBlock(const QByteArray &line, bool requireOk);
    bool flashImage();
    void reportFlashError();
    void setBusy(bool busy);
    void updateButtons();

    ControlBoard *m_board;
    QGridLayout *m_layout = nullptr;
    QLabel *m_picture = nullptr;
    QPlainTextEdit *m_log = nullptr;
    QPushButton *m_pbLoadHex = nullptr;
    QPushButton *m_pbDefault = nullptr;
    QPushButton *m_pbFlash = nullptr;
    QPushButton *m_pbRestart = nullptr;
    QProgressBar *m_progress = nullptr;
    QCheckBox *m_cbVersionIgnore = nullptr;
    QByteArray m_endMarker;
    HexFile m_hex;
    bool m_busy = false;
};
