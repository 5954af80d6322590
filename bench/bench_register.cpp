// Time of Register::setField / Register::getField by field name ("REG[FIELD_n]") on registers
// of 32, 256 and 1,024 bits built from definition texts (4-bit fields), against a plain
// QHash<QString,int> lookup of the field name in the same run.
#include "benchenv.h"
#include "register.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QTextStream>

#include <limits>

namespace
{

constexpr int FieldWidth = 4;

struct Subject {
    QString definition;
    QStringList names;
    QStringList expressions;
};

Subject makeSubject(int bits)
{
    Subject s;
    for (int i = 0; i < bits / FieldWidth; ++i) {
        const QString name = QStringLiteral("FIELD_%1").arg(i);
        s.definition += QStringLiteral("%1[%2]#field %3;").arg(name).arg(FieldWidth).arg(i);
        s.names << name;
        s.expressions << QStringLiteral("REG[%1]").arg(name);
    }
    return s;
}

// Nanoseconds per call of fn (which makes calls calls), the best of a few rounds so that a
// busy machine disturbs the figures less.
template <typename Fn> double nsPerCall(int calls, Fn fn)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int round = 0; round < BenchEnvironment::pick(5, 1); ++round) {
        QElapsedTimer timer;
        timer.start();
        fn();
        best = qMin(best, timer.nsecsElapsed());
    }
    return double(best) / calls;
}

} // namespace

int main(int argc, char **argv)
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "bits   setField ns  getField ns  hash ns  set/hash  get/hash\n";
    quint64 sink = 0;
    const int calls = BenchEnvironment::pick(100000, 2000);
    for (int bits : {32, 256, 1024}) {
        const Subject s = makeSubject(bits);
        Register reg(s.definition, QStringLiteral("REG"));
        reg.setUpdateMode(2);
        const int fields = int(s.names.size());

        QHash<QString, int> hash;
        for (int i = 0; i < fields; ++i)
            hash.insert(s.names.at(i), i * FieldWidth);

        const double hashNs = nsPerCall(calls, [&] {
            for (int i = 0; i < calls; ++i)
                sink += quint64(hash.value(s.names.at((i * 7) % fields)));
        });
        const double setNs = nsPerCall(calls, [&] {
            for (int i = 0; i < calls; ++i)
                reg.setField(s.expressions.at((i * 7) % fields), quint32(i));
        });
        const double getNs = nsPerCall(calls, [&] {
            for (int i = 0; i < calls; ++i)
                sink += reg.getField(s.expressions.at((i * 7) % fields));
        });
        out << qSetFieldWidth(4) << bits << qSetFieldWidth(0) << "   "
            << QString::number(setNs, 'f', 1).rightJustified(11) << "  "
            << QString::number(getNs, 'f', 1).rightJustified(11) << "  "
            << QString::number(hashNs, 'f', 1).rightJustified(7) << "  "
            << QString::number(setNs / hashNs, 'f', 1).rightJustified(8) << "  "
            << QString::number(getNs / hashNs, 'f', 1).rightJustified(8) << "\n";
    }
    out << "(checksum " << sink << ")\n";
    return 0;
}
