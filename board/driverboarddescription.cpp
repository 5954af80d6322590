#include "driverboarddescription.h"

#include <cstddef>

namespace
{

// Entry code of a table, or "undefined" past its end or on an empty entry.
template <std::size_t N> QString nameOf(const char *const (&names)[N], quint32 code)
{
    if (code < N && names[code])
        return QString::fromLatin1(names[code]);
    return QStringLiteral("undefined");
}

const char *const ChipNames[] = {
    "KVL52201", "KVL52202", "KVL52301", "KVL52203", "KVL52204",     "KVL52205",
    nullptr,    nullptr,    nullptr,    nullptr,    nullptr,        nullptr,
    "KVL52404", "KVL52402", "KVL52403", "KVL52401", "KVL52404BUCK",
};
const char *const VersionNames[] = {"v1.0", "v1.1", "v1.2"};
const char *const TopologyNames[] = {"boost", "buck", "boost-buck"};
const char *const ChannelNames[] = {"single", "two", "three"};

} // namespace

QString DriverBoardDescription::boardVersionName(quint32 code) const
{
    return nameOf(VersionNames, code);
}

QString DriverBoardDescription::boardTopologyName(quint32 code) const
{
    return nameOf(TopologyNames, code);
}

QString DriverBoardDescription::boardChannelsName(quint32 code) const
{
    return nameOf(ChannelNames, code);
}

QString DriverBoardDescription::chipTypeName(quint32 code) const
{
    return nameOf(ChipNames, code);
}
