#pragma once

#include <QPoint>
#include <QRect>

// Moving a frameless window by its title bar. A drag starts only with a left
// press inside the title bar; it moves the window only while the window is
// not maximised. Positions are global screen positions.
class TitleBarDrag
{
public:
    // titleBar: the bar's rectangle in window coordinates; windowTopLeft: the
    // window frame's global top-left. True when the press started a drag.
    bool press(const QPoint& globalPos, const QPoint& windowTopLeft, const QRect& titleBar);
    // The distance to move the window by, (0, 0) when it must stay.
    QPoint move(const QPoint& globalPos, bool maximised);
    void release() { dragging_ = false; }
    bool dragging() const { return dragging_; }

    static bool onTitleBar(const QPoint& globalPos, const QPoint& windowTopLeft,
                           const QRect& titleBar);

private:
    QPoint last_;
    bool dragging_ = false;
};
