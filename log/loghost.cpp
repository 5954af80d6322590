#include "loghost.h"

#include "programfiles.h"

namespace
{

// The host of a log built outside the program: no window to show in, no link to send on.
class EmptyHost : public LogHost
{
public:
    QWidget *logParent() const override { return nullptr; }
    void addStatusWidget(QWidget *) override {}
    ErrorBar *errorBar() const override { return nullptr; }
    bool isLogComm() const override { return false; }
    const ProgramFiles &programFiles() const override
    {
        static const ProgramFiles files = ProgramFiles::ofThisProcess();
        return files;
    }
    void fileNotWritten(const QString &, const QString &) override {}
    void fileWritten(const QString &) override {}
    bool sendRawLine(const QByteArray &, QByteArray *) override { return false; }
};

} // namespace

LogHost *LogHost::empty()
{
    static EmptyHost host;
    return &host;
}
