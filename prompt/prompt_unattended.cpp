// Prompts while nobody is there to answer them: informing messages shown without waiting,
// questions answered by their defaults, each noted.
#include "prompt.h"

#include <QAtomicInt>
#include <QMutex>
#include <QMutexLocker>

namespace
{

QAtomicInt servedRequests; // Unattended objects alive
QAtomicInt wholeRun;       // setUnattended(true)
QMutex sinkMutex;
Prompt::NoteSink &noteSink()
{
    static Prompt::NoteSink sink;
    return sink;
}

const struct {
    int button;
    const char *text;
} ButtonTexts[] = {{Prompt::Ok, "OK"},
                   {Prompt::Save, "Save"},
                   {Prompt::Open, "Open"},
                   {Prompt::Yes, "Yes"},
                   {Prompt::YesToAll, "Yes to All"},
                   {Prompt::No, "No"},
                   {Prompt::NoToAll, "No to All"},
                   {Prompt::Abort, "Abort"},
                   {Prompt::Retry, "Retry"},
                   {Prompt::Ignore, "Ignore"},
                   {Prompt::Close, "Close"},
                   {Prompt::Cancel, "Cancel"},
                   {Prompt::Discard, "Discard"},
                   {Prompt::Apply, "Apply"}};

QString buttonText(int button)
{
    for (const auto &entry : ButtonTexts) {
        if (entry.button == button)
            return QLatin1String(entry.text);
    }
    return QStringLiteral("no button");
}

// The log's level of a message by its icon.
int levelOf(Prompt::Icon icon)
{
    switch (icon) {
    case Prompt::Critical:
        return -1;
    case Prompt::Warning:
        return 1;
    default:
        return 0;
    }
}

// Title, text and informative text on one line.
QString oneLine(const QString &title, const QString &text, const QString &more = QString())
{
    QStringList parts;
    for (const QString &part : {title, text, more}) {
        if (!part.trimmed().isEmpty())
            parts.append(part.simplified());
    }
    return parts.join(QStringLiteral(": "));
}

} // namespace

const QString Prompt::CancelText = QStringLiteral("Cancel");

Prompt::Unattended::Unattended()
{
    servedRequests.ref();
}

Prompt::Unattended::~Unattended()
{
    servedRequests.deref();
}

void Prompt::setUnattended(bool on)
{
    wholeRun.storeRelease(on ? 1 : 0);
}

bool Prompt::isUnattended()
{
    return wholeRun.loadAcquire() != 0 || servedRequests.loadAcquire() > 0;
}

void Prompt::setNoteSink(const NoteSink &sink)
{
    QMutexLocker lock(&sinkMutex);
    noteSink() = sink;
}

bool Prompt::informs(const Message &msg)
{
    return msg.icon != Question && qPopulationCount(quint32(msg.buttons)) <= 1;
}

bool Prompt::answersAlone()
{
    return isUnattended() && !answerDefaults();
}

int Prompt::answerAlone(const Message &msg)
{
    const int answer = defaultAnswer(msg);
    if (informs(msg)) {
        note(levelOf(msg.icon), oneLine(msg.title, msg.text, msg.informativeText));
        runOnGuiThread([&msg]() { instance()->notify(msg); });
    } else {
        noteAnswer(msg.title, oneLine(QString(), msg.text, msg.informativeText),
                   buttonText(answer));
    }
    return answer;
}

QString Prompt::quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void Prompt::noteAnswer(const QString &title, const QString &label, const QString &answer)
{
    note(1, QStringLiteral("Nobody to answer \"%1\": took %2, the default")
                .arg(oneLine(title, label), answer));
}

void Prompt::note(int level, const QString &text)
{
    NoteSink sink;
    {
        QMutexLocker lock(&sinkMutex);
        sink = noteSink();
    }
    if (sink)
        sink(level, text);
}
