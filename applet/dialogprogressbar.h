#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QProgressBar;
class QVBoxLayout;

// A window with a progress bar, a text line and an optional picture (200 x 200), over the
// window of the command it shows; it blocks no window and takes no keyboard. The progress and
// text setters process pending events (a person's input waits for the caller's command to end,
// HeldInput), so the window repaints while the caller keeps the GUI thread busy. In paint-only
// mode they process events only until the window system shows the window, and from then on
// only lay out and repaint the window itself.
class DialogProgressBar : public QDialog
{
    Q_OBJECT
public:
    explicit DialogProgressBar(QWidget *parent = nullptr, const QPixmap &picture = QPixmap());

    // Takes the maximum first, then the value clamped into the bar's range.
    void setProgress(int value, int maximum);
    int value() const;
    void setText(const QString &text);
    void addWidget(QWidget *w);
    void setPaintOnly(bool on);

    // Blocks the calling thread for ms milliseconds.
    static void sleep(unsigned ms);

private:
    void showChanges(QWidget *changed);

    QProgressBar *m_bar;
    QVBoxLayout *m_layout;
    QLabel *m_text;
    QLabel *m_picture;
    bool m_paintOnly = false;
};
