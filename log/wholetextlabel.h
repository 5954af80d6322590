#pragma once

#include <QLabel>

class QTextLayout;

// A label of plain text that shows its text whole at any width: it wraps at blanks, and within
// a word (a path, a long name) that is wider than the label. It asks for the width of its text
// on one line and takes the height its lines need at the width it gets.
class WholeTextLabel : public QLabel
{
    Q_OBJECT
public:
    explicit WholeTextLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the text out in lines of width; returns the height they take.
    int layOut(QTextLayout *layout, int width) const;
};
