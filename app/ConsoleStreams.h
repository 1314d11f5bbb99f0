#pragma once

#include <QTextStream>

// UTF-8 text streams on stdout and stderr for the headless commands: progress
// and summaries go to consoleOut, messages for the operator to consoleErr.
QTextStream& consoleOut();
QTextStream& consoleErr();
