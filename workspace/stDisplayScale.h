#pragma once

// How the current image is shown: displayed size over full size per axis, and
// the zoom factor the view keeps between redisplays (the smaller ratio).
struct stDisplayScale
{
    double ratioX = 1.0;
    double ratioY = 1.0;
    double zoom = 1.0;
};
