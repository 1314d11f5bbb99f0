#pragma once

#include <QSize>
#include <QString>

struct PageInfo;

// The four status-bar texts of the open page: size, colour, resolution, path.
class ImageStatusText
{
public:
    // fullSize is the page as edited; info is its file's header.
    static ImageStatusText make(const QSize& fullSize, const PageInfo& info, const QString& path);

    QString size;
    QString colour;
    QString resolution;
    QString path;
};
