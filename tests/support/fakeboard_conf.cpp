#include "fakeboard_conf.h"

#include "fakeboard.h"

#include <QRegularExpression>

namespace
{

bool isBareConfiguration(const QByteArray &line)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("set (SER2CONF|PWM[0-9]+CONF|PWM[0-9]+START)")));
    return line != "set PWM1START" && pattern.match(QString::fromLatin1(line)).hasMatch();
}

} // namespace

FakeBoardConf::FakeBoardConf(FakeBoard &board)
{
    board.addHandler(isBareConfiguration, [&board](const QByteArray &line) {
        const QByteArray name = line.mid(4);
        return name + (board.isRefused(name) ? ":err" : ":ok");
    });
}
