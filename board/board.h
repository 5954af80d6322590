#pragma once

#include "applet.h"

class LocalClient;
namespace Ui
{
class Board;
}

// The board page.
class Board : public Applet
{
    Q_OBJECT
public:
    explicit Board(QWidget *parent = nullptr);
    ~Board() override;

    QVariant run(const QString &command, const QVariant &args) override;
    // The port the main window showed when the page was built.
    QString portName() const { return m_portName; }
    LocalClient *ledDriverClient() const { return m_ledDriver; }

private:
    Ui::Board *ui;
    QString m_portName;
    LocalClient *m_ledDriver = nullptr;
};
