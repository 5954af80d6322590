#pragma once

#include <QLabel>

// A label that asks for the width of its text on one line and wraps the text onto more lines
// where it is given less; its height follows the width it gets.
class WrappingLabel : public QLabel
{
    Q_OBJECT
public:
    explicit WrappingLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
};
