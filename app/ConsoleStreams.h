#pragma once

#include <QTextStream>

// UTF-8 text streams on stdout and stderr for the headless commands: progress
// and summaries go to consoleOut, messages for the operator to consoleErr.
QTextStream& consoleOut();
QTextStream& consoleErr();

// Sends the log to stderr, one UTF-8 line per message, so stdout carries only
// progress and the summary; debug lines only when showDebug is set.
void installConsoleLog(bool showDebug);
