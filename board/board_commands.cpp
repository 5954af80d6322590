// The page's named commands: one table in test order. Each command's help entry is added just
// before its name is compared, so a call that matches nothing (the console's empty command), or
// one whose command lets the dispatch go on, leaves every entry in the help table.
#include "board.h"

#include "appletcommands.h"
#include "applethost.h"
#include "boardcommand.h"
#include "boardglobals.h"
#include "controlboard.h"

QVariant Board::run(const QString &command, const QVariant &args)
{
    bool result = false;
    for (const BoardCommand &entry : commandTable()) {
        if (!AppletCommands::offer(functions, command, entry.name, entry.help))
            continue;
        result = entry.action(*this, args);
        if (!entry.continues)
            return result;
        // The names are unique: the remaining tests only complete the help table.
    }
    return result;
}

const QVector<Board::BoardCommand> &Board::commandTable()
{
    static const QVector<BoardCommand> table = buildCommandTable();
    return table;
}

QVector<Board::BoardCommand> Board::buildCommandTable()
{
    QVector<BoardCommand> table;
    table.append(BoardCommand::returning(
        QStringLiteral("Update"), QStringLiteral("This function updates hardware"),
        [](Board &page, const QVariant &) { return page.updateItem(1, QStringLiteral("*")); }));
    appendRegisterCommands(table);
    appendMatrixCommands(table);
    appendP205Commands(table);
    table.append(BoardCommand::returning(
        QStringLiteral("RoofPattern"),
        QStringLiteral("This function fills ON/OFF/TR registers with values to create roof "
                       "pattern for evaluation"),
        [](Board &page, const QVariant &) { return page.roofPattern(); }));
    appendP404Commands(table);
    return table;
}

// Bank words of the slave SA, one command per word, reads and writes interleaved; then the
// multi-register commands.
void Board::appendRegisterCommands(QVector<BoardCommand> &table)
{
    constexpr int LastWritable = 14;
    constexpr int LastReadable = 18;
    for (int word = 0; word <= LastReadable; ++word) {
        const QString number = QString::number(word);
        table.append(BoardCommand::returning(
            QStringLiteral("Read_REG_") + number, QStringLiteral("Read REG") + number,
            [word](Board &page, const QVariant &) {
                return word == 16 ? page.readRegisterSixteen() : page.readBankRegister(word);
            }));
        if (word > LastWritable)
            continue;
        auto write = [word](Board &page, const QVariant &) {
            switch (word) {
            case 0:
                return page.writeRegisterZero();
            case 13:
                return page.writeRegisterThirteen();
            case 14:
                return page.writeRegisterFourteen();
            default:
                return page.writeBankRegister(word, 1);
            }
        };
        const QString name = QStringLiteral("Write_REG_") + number;
        const QString help = QStringLiteral("Write REG") + number;
        table.append(word == LastWritable ? BoardCommand::continuing(name, help, write)
                                          : BoardCommand::returning(name, help, write));
    }
    table.append(BoardCommand::returning(
        QStringLiteral("Read_all1"), QStringLiteral("Read all REG0 - REG14"),
        [](Board &page, const QVariant &) { return page.runBankLoop(0, 14, true, 100); }));
    table.append(BoardCommand::returning(
        QStringLiteral("Write_all"), QStringLiteral("Write all REG0 - REG14"),
        [](Board &page, const QVariant &) { return page.runBankLoop(0, 14, false, 100); }));
    table.append(BoardCommand::returning(
        QStringLiteral("Write_on_off"), QStringLiteral("Write all REG1 - REG12"),
        [](Board &page, const QVariant &) { return page.writeOnOffTimes(); }));
    table.append(BoardCommand::returning(
        QStringLiteral("Read_all2"), QStringLiteral("Read all REG15 - REG18"),
        [](Board &page, const QVariant &) { return page.runBankLoop(15, 18, true, 500); }));
}

// The matrix, pattern, live-sending and serial-bus commands (no help texts).
void Board::appendMatrixCommands(QVector<BoardCommand> &table)
{
    using Step = void (Board::*)();
    const QList<QPair<QString, Step>> steps = {
        {QStringLiteral("allOn"), &Board::allOn},
        {QStringLiteral("allOff"), &Board::allOff},
        {QStringLiteral("Pattern1"), &Board::pattern1},
        {QStringLiteral("Pattern2"), &Board::pattern2},
        {QStringLiteral("Pattern3"), &Board::pattern3},
        {QStringLiteral("UPDATE"), nullptr},
        {QStringLiteral("BAUDRATE"), &Board::setSerialBusRate},
        {QStringLiteral("MAPENA"), &Board::enableMapping}};
    for (const auto &step : steps) {
        Step action = step.second;
        table.append(BoardCommand::quiet(step.first, [action](Board &page, const QVariant &) {
            if (action)
                (page.*action)();
            else if (page.currentPort() == QLatin1String("mockup"))
                page.sendData(); // one live-sending pass
            else
                page.sendFWData();
            return false;
        }));
    }
    for (int row = 0; row < 2; ++row)
        table.append(BoardCommand::quiet(
            QStringLiteral("OPMODE") + QString::number(row),
            [row](Board &page, const QVariant &) { return page.readOperatingMode(row); }));
    for (int row = 0; row < 2; ++row)
        table.append(BoardCommand::quiet(
            QStringLiteral("NORMAL") + QString::number(row),
            [row](Board &page, const QVariant &) { return page.changeToNormalMode(row); }));
}

bool Board::sendLine(const QByteArray &line, QByteArray *answer)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    return link && link->send(line, answer, -1);
}

int Board::slaveAddress() const
{
    return int(boardGlobals().SA.value());
}
