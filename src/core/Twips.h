#pragma once

#include <QRect>

namespace kivo {

// The design measures are twips; 15 twips are one logical pixel.
inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int px(int twips)
{
    return twips / kTwipsPerPixel;
}
[[nodiscard]] constexpr int twips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
[[nodiscard]] constexpr QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace kivo
