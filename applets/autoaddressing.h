#pragma once

#include "applet.h"

namespace Ui
{
class AutoAddressing;
}

// Gives the matrix chips their bus addresses one table row at a time (address, threshold,
// supply output), switching each row's output on while its chip is addressed: outputs 1 and 2
// through the board page, any other through the operator. Every frame goes through the
// configuration applet by name. At the end it reports the first two addresses assigned.
class AutoAddressing : public Applet
{
    Q_OBJECT
public:
    explicit AutoAddressing(QWidget *parent = nullptr);
    ~AutoAddressing() override;

    // The one addressing applet; null before it is made and after it is gone.
    static AutoAddressing *instance();

    // No named commands: false for every command.
    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;

signals:
    void setAddress(int first, int second);

private slots:
    void on_pbAddLine_clicked();
    void on_pbWrite_clicked();

private:
    struct Row {
        int address;
        int threshold;
        int buck;
    };

    Row readRow(int index) const;
    int cellNumber(int row, int column) const;
    // Switches the output of the row at index; outside 1 and 2 (or without a board page) the
    // operator does it, asked with operatorText ("%1" the row's number).
    static void switchOutput(int index, int buck, bool on, const char *operatorText);
    // Addresses one row; false when Execute must end.
    bool addressRow(int index);
    static bool isValid(const Row &row);
    static bool reachesAddressingMode(const Row &row);
    static bool attempt(const Row &row);
    // Leaves automatic addressing and switches the chip to normal mode; the first row's chip
    // also becomes the repeater.
    static void finishRow(int index);
    void reportAddresses();
    void appendRow(int address, int threshold, int buck);

    Ui::AutoAddressing *ui;
};
