#pragma once

#include <QGroupBox>

namespace CustomControls
{

// A group box that folds to its title bar when its title check box is cleared and takes a new
// title on a double click. Folding works only while the box is checkable.
class FoldingBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit FoldingBox(QWidget *parent = nullptr);

    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    bool isDragEnabled() const { return m_dragEnabled; }

    // true unfolds, false folds to the title bar.
    void setFolded(bool unfolded);
    int unfoldedHeight() const { return m_unfoldedHeight; }
    static constexpr int foldedHeight() { return 20; }

signals:
    void signal_resized();
    void signal_dragdrop();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_dragEnabled = false;
    int m_unfoldedHeight = -1;
};

} // namespace CustomControls
