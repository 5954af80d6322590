// Qt's platform noise stays off standard error: the filter drops the warnings of a platform
// plugin that leaves an operation out and hands every other message to the handler installed
// before it, a terminal's control characters in it shown as escapes.
#include "qtnoisefilter.h"

#include <QtTest>

namespace
{
QStringList passed; // each message the handler before the filter got, its warnings marked
void record(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    passed.append((type == QtWarningMsg ? QStringLiteral("warning: ") : QString()) + text);
}
} // namespace

class TestQtNoiseFilter : public QObject
{
    Q_OBJECT

private slots:
    void onlyPlatformNoiseIsDropped()
    {
        const QtMessageHandler before = qInstallMessageHandler(&record);
        QtNoiseFilter::install();
        QtNoiseFilter::install(); // once: a second call does not filter into itself
        qWarning("This plugin does not support raise()");
        qWarning("This plugin does not support propagateSizeHints()");
        qWarning("QWidget::repaint: Recursive repaint detected");
        qWarning("This plugin does not support raise() here");
        qInfo("This plugin does not support raise()");
        qWarning("open_port: Unable to open /dev/\x1b[31mred");
        qInstallMessageHandler(before);
        QCOMPARE(passed, (QStringList{"warning: QWidget::repaint: Recursive repaint detected",
                                      "warning: This plugin does not support raise() here",
                                      "This plugin does not support raise()",
                                      "warning: open_port: Unable to open /dev/\\x1b[31mred"}));
    }
};

QTEST_MAIN(TestQtNoiseFilter)
#include "tst_qtnoisefilter.moc"
