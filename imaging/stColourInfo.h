#pragma once

// Colour adjustment values: brightness is an offset, contrast and saturation factors.
struct stColourInfo
{
    int brightness = 0;
    float contrast = 1.0f;
    float saturation = 1.0f;
};
