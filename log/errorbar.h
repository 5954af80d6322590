#pragma once

#include "pacedcall.h"

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;
class WholeTextLabel;

// The bar in the main window that shows the errors the log raises: the latest error whole,
// wrapped at the bar's width, and how many errors came since the person last closed it. A notice
// that nobody waits for (one a script's request raises) shows there too, uncounted, so that no
// window of its own takes the keyboard. It is part of the window it sits in, so it needs nothing
// of a window manager, and it never takes the keyboard: its buttons take it only by Tab, and
// Escape closes it while it has it. "Open log" asks for the log window. While it is shown, a
// burst of errors changes its text paced. A screen reader reads it as an alert.
class ErrorBar : public QFrame
{
    Q_OBJECT
public:
    explicit ErrorBar(QWidget *parent = nullptr);

    // One more error: shown at once where the bar is closed, paced while it is shown.
    void addError(const QString &text);
    // A notice: shown as the latest, as an error is, but not counted.
    void addNotice(const QString &text);
    // Hides the bar; the next error shows it again, counting from one.
    void closeBar();

    // What the bar shows: the latest error and the errors since it was last closed.
    QString text() const;
    int count() const { return m_shownCount; }
    // Whether a new text waits for its paced show.
    bool isPending() const { return m_paced.isAsked(); }
    QPushButton *openLogButton() const { return m_openLog; }
    QPushButton *closeButton() const { return m_close; }

signals:
    void signal_openLog();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showLatest();
    void showText(const QString &text);

    WholeTextLabel *m_text = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_openLog = nullptr;
    QPushButton *m_close = nullptr;
    QString m_latest;
    int m_errors = 0;     // since the bar was last closed
    int m_shownCount = 0; // as the bar shows it
    PacedCall m_paced{this, [this]() {
                          if (!isHidden())
                              showLatest();
                      }};
};
