#include "TitleBarDrag.h"

bool TitleBarDrag::onTitleBar(const QPoint& globalPos, const QPoint& windowTopLeft,
                              const QRect& titleBar)
{
    return titleBar.contains(globalPos - windowTopLeft);
}

bool TitleBarDrag::press(const QPoint& globalPos, const QPoint& windowTopLeft,
                         const QRect& titleBar)
{
    if (!onTitleBar(globalPos, windowTopLeft, titleBar))
        return false;
    last_ = globalPos;
    dragging_ = true;
    return true;
}

QPoint TitleBarDrag::move(const QPoint& globalPos, bool maximised)
{
    if (!dragging_ || maximised)
        return QPoint();
    const QPoint delta = globalPos - last_;
    last_ = globalPos;
    return delta;
}
