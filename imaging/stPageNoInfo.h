#pragma once

#include <QString>

// How page numbers look and where they go; sizes and margins in millimetres.
struct stPageNoInfo
{
    QString area = QStringLiteral("右上");
    int marginHor = 15;
    int marginVer = 15;
    QString fontFamily = QStringLiteral("黑体");
    int fontSize = 6;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int startNo = 1;
    int noLen = 4;
    QString prefix;
    QString suffix;
    bool zeroFill = true;
};
