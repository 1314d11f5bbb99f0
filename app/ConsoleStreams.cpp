#include "ConsoleStreams.h"

#include <cstdio>

QTextStream& consoleOut()
{
    static QTextStream stream(stdout);
    stream.setCodec("UTF-8");
    return stream;
}

QTextStream& consoleErr()
{
    static QTextStream stream(stderr);
    stream.setCodec("UTF-8");
    return stream;
}
