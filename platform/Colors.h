// Colours as 24-bit values of the form 0x00BBGGRR.
#pragma once

#include <cstdint>

#include <QColor>

using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clAqua = 0xFFFF00;

inline QRgb ToRgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline QColor ToQColor(TColor c) { return QColor(ToRgb(c)); }
inline TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << 8) |
         (static_cast<TColor>(c.blue()) << 16);
}
