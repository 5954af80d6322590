#include "applethost.h"

namespace {

// The host of applets built outside the program: nothing to link to, log to or hold.
class EmptyHost : public AppletHost
{
public:
    ControlBoard *controlBoard() const override { return nullptr; }
    QObject *logs() const override { return nullptr; }
    int appletCount() const override { return 0; }
    Applet *applet(int) const override { return nullptr; }
    QString projectType() const override { return QString(); }
    QString dataPath(const QString &relative) const override { return relative; }
    QString chosenPort() const override { return QString(); }
    std::shared_ptr<void> requestHold() override { return nullptr; }
};

EmptyHost emptyHost;
AppletHost *registeredHost = nullptr;

} // namespace

AppletHost *AppletHost::instance()
{
    return registeredHost ? registeredHost : &emptyHost;
}

void AppletHost::setInstance(AppletHost *host)
{
    registeredHost = host;
}
