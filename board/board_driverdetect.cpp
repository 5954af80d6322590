// Which LED-driver board is fitted: its EEPROM's configuration block names the driver chip,
// and the chip's parameter block gives the current ratings the power-stage pages compute with.
#include "board.h"

#include "boardlog.h"
#include "driverboarddescription.h"
#include "prompt.h"
#include "spieeprom.h"

namespace
{

// Without usable component data the pages compute with these.
constexpr Board::DriverRatings BasicRatings{100, 100, 200, 200};
constexpr Board::DriverRatings P404Ratings{47, 47, 330, 330};
// The KVL52404 block carries no peak ratings; the page keeps its own.
constexpr quint16 P404PeakScale = 330;

void showBox(const QString &text)
{
    Prompt::ask(Prompt::NoIcon, QString(), text, Prompt::Ok);
}

} // namespace

bool Board::readDriverEepromConfig()
{
    if (currentPort() == QLatin1String("mockup")) {
        setDriverRatings(BasicRatings);
        return true;
    }
    qCDebug(lcBoard) << "Read LED Driver EEPROM config";
    driverConfig = spiEEPROM ? spiEEPROM->readDeviceConfig() : DeviceConfig();
    if (!driverConfig.valid) {
        setDriverRatings(BasicRatings);
        showBox(QStringLiteral("BOOST-BUCK: EEPROM is not connected or config data are not "
                               "valid!\n You will not be able to control the current source."));
        return false;
    }
    const QString chip = DriverBoardDescription().chipTypeName(quint32(driverConfig.chipCode));
    if (chip == QLatin1String("KVL52404BUCK") || chip == QLatin1String("KVL52404")) {
        announceDriver(QStringLiteral("KVL52404 detected"));
        spiEEPROM->readDeviceParamsP404(driverConfig);
        takeDriverRatings(true);
    } else if (chip == QLatin1String("KVL52205")) {
        announceDriver(QStringLiteral("KVL52205 detected"));
        spiEEPROM->readDeviceParams(driverConfig);
        takeDriverRatings(false);
    } else {
        qCDebug(lcBoard) << "Valid config detected but unsupported LED driver connected";
    }
    return true;
}

void Board::announceDriver(const QString &text)
{
    qCDebug(lcBoard).noquote() << text;
    emit signal_log(0, text);
}

// The ratings from the parameter block just read, or the chip's defaults when the block is
// not valid (the user is told that calculations may be off).
void Board::takeDriverRatings(bool p404)
{
    const DriverParams &params = spiEEPROM->driverParams;
    if (!params.valid) {
        setDriverRatings(p404 ? P404Ratings : BasicRatings);
        emit signal_log(1000, QStringLiteral("Invalid component data bit found in external "
                                             "EEPROM. Loading defaults."));
        showBox(QStringLiteral("BOOST-BUCK: EEPROM does not contain valid component data. "
                               "Loading defaults. Some GUI calculations might not be accurate."));
        return;
    }
    if (p404)
        setDriverRatings({params.w0, params.w1, P404PeakScale, P404PeakScale});
    else
        setDriverRatings({params.w0, params.w1, params.w4, params.w5});
    qCDebug(lcBoard) << rippleScale1 << rippleScale2 << peakScale1 << peakScale2;
}

void Board::setDriverRatings(const DriverRatings &ratings)
{
    rippleScale1 = ratings.ripple1;
    rippleScale2 = ratings.ripple2;
    peakScale1 = ratings.peak1;
    peakScale2 = ratings.peak2;
}

Board::DriverRatings Board::driverRatings() const
{
    return {rippleScale1, rippleScale2, peakScale1, peakScale2};
}
