#include "boardpageaccess.h"

namespace
{

BoardPageAccess *&installed()
{
    static BoardPageAccess *access = nullptr;
    return access;
}

} // namespace

BoardPageAccess::~BoardPageAccess()
{
    if (installed() == this)
        installed() = nullptr;
}

BoardPageAccess *BoardPageAccess::instance()
{
    return installed();
}

void BoardPageAccess::install(BoardPageAccess *access)
{
    installed() = access;
}
