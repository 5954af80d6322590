// kvl52110-cli: sends requests to the running program through its socket (see
// CommandLineClient).
#include "commandlineclient.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QFile in, out, err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    return CommandLineClient().run(QCoreApplication::arguments().mid(1), &in, &out, &err);
}
