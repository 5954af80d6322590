#include "ownarguments.h"

#include <cstring>

namespace
{

// The program's options that a Qt platform reads too, each given as "--option VALUE" or
// "--option=VALUE".
const char *const ClaimedOptions[] = {"--name"};

} // namespace

OwnArguments::OwnArguments(int &argc, char **argv)
{
    int kept = 1;
    bool optionsEnded = false; // after "--" every argument is the program's to judge
    for (int i = 1; i < argc; ++i) {
        optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
        if (optionsEnded || !isClaimed(argv[i])) {
            argv[kept++] = argv[i];
            continue;
        }
        m_taken.append(QString::fromLocal8Bit(argv[i]));
        if (!std::strchr(argv[i], '=') && i + 1 < argc)
            m_taken.append(QString::fromLocal8Bit(argv[++i]));
    }
    argc = kept;
    argv[argc] = nullptr;
}

QStringList OwnArguments::restoredInto(const QStringList &left) const
{
    QStringList arguments = left.mid(0, 1);
    arguments.append(m_taken);
    arguments.append(left.mid(1));
    return arguments;
}

bool OwnArguments::isClaimed(const char *argument)
{
    for (const char *option : ClaimedOptions) {
        const size_t length = std::strlen(option);
        if (std::strncmp(argument, option, length) == 0 &&
            (argument[length] == '\0' || argument[length] == '='))
            return true;
    }
    return false;
}
