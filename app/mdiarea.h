#pragma once

#include <QMdiArea>
#include <QPoint>
#include <QSize>

// The tool-window area: a QMdiArea that paints the project name as a grey watermark behind
// the tool windows. A tool window opens within the visible part of the area (cut to it where
// it is larger: its applet scrolls inside), and the scroll bars follow the shown windows only.
// Ctrl+F4 closes the active window.
class MdiArea : public QMdiArea
{
    Q_OBJECT
public:
    // Where the watermark goes in a viewport of a given size.
    struct Watermark {
        int pixelSize = 0; // font pixel size
        QPoint baseline;   // start of the text's base line
    };
    static Watermark watermarkFor(const QSize &viewport);
    static const QColor &watermarkColor();

    explicit MdiArea(QWidget *parent = nullptr);

    // QMdiArea's size hint from the shown tool windows only: measuring a hidden one measures
    // its whole form.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void keepInView(QMdiSubWindow *window);
    void updateScrollRange();
};
