#include "ownarguments.h"

#include <cstring>

namespace
{

// The program's options with a value that a Qt platform reads too.
const char *const ClaimedOptions[] = {"--name"};

} // namespace

OwnArguments::OwnArguments(int &argc, char **argv)
{
    int kept = 1;
    bool optionsEnded = false; // after "--" every argument is the program's to judge
    for (int i = 1; i < argc; ++i) {
        optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
        if (!optionsEnded && isClaimed(argv[i]) && i + 1 < argc) {
            m_joined.push_back(std::string(argv[i]) + '=' + argv[i + 1]);
            argv[kept++] = m_joined.back().data();
            ++i;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
}

bool OwnArguments::isClaimed(const char *argument)
{
    for (const char *option : ClaimedOptions) {
        if (std::strcmp(argument, option) == 0)
            return true;
    }
    return false;
}
