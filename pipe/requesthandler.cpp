#include "requesthandler.h"

#include <QAtomicPointer>

namespace
{
QAtomicPointer<RequestHandler> registeredHandler;
}

RequestHandler *RequestHandler::instance()
{
    return registeredHandler.loadAcquire();
}

void RequestHandler::setInstance(RequestHandler *handler)
{
    registeredHandler.storeRelease(handler);
}
