#pragma once
// The screen's DPI, and which of the sizes the program's pictures are drawn in suits it.

#include <cstddef>

namespace netpeek {

// The pictures are drawn as designed for 96 DPI, and redrawn at 150 % and at 200 %.
enum class PictureScale : std::size_t { Normal = 0, OneAndAHalf = 1, Double = 2 };
inline constexpr std::size_t kPictureScaleCount = 3;

// Each drawing serves from its own DPI up to the next one's, so that no picture is drawn larger
// than the DPI asks for: 16-pixel pictures below 144 DPI, 24 from 144, 32 from 192.
constexpr PictureScale PictureScaleFor(int dpi) {
    return dpi >= 192 ? PictureScale::Double : dpi >= 144 ? PictureScale::OneAndAHalf : PictureScale::Normal;
}

// The screen's horizontal DPI, read once: the program is system DPI aware, so it draws at the
// DPI it started with for as long as it runs. 96 when the screen cannot be asked.
int ScreenDpi();

}  // namespace netpeek
