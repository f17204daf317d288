// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The five small images the flat look is cut from. They are built in memory from constant colour data; no
// image file is read. Every pixel is defined; key magenta marks the pixels that are never drawn.

#include <QImage>
#include <QRect>

namespace corvessa::skin {

struct SkinImages {
    QImage buttonStrip; // 7 x 84: push-button faces, normal / hover / pressed / disabled, one below the other
    QImage comboStrip;  // 15 x 18: drop-button faces (hover, pressed) and the arrow (enabled, disabled)
    QImage markSheet;   // 18 x 24: check mark, grey-state square and option dot, enabled and disabled
    QImage boxSheet;    // 13 x 52: option discs, normal / hover / pressed / disabled
    QImage headerStrip; // 9 x 20: header item faces, normal / hot / pressed
};

// Sizes of the images and where each tile sits in them.
namespace tiles {
inline constexpr QSize ButtonStripSize{7, 84};
inline constexpr QSize ComboStripSize{15, 18};
inline constexpr QSize MarkSheetSize{18, 24};
inline constexpr QSize BoxSheetSize{13, 52};
inline constexpr QSize HeaderStripSize{9, 20};

inline constexpr int ButtonFaceWidth = 7;
inline constexpr int ButtonFaceHeight = 21;
inline constexpr QRect buttonFace(int state) {
    return {0, ButtonFaceHeight * state, 7, 21};
}

inline constexpr QRect ComboHoverFace{0, 0, 4, 18};
inline constexpr QRect ComboPressedFace{4, 0, 4, 18};
inline constexpr QRect ComboArrowEnabled{8, 0, 7, 4};
inline constexpr QRect ComboArrowDisabled{8, 4, 7, 4};

inline constexpr QRect CheckMarkEnabled{0, 0, 9, 8};
inline constexpr QRect CheckMarkDisabled{9, 0, 9, 8};
inline constexpr QRect GreySquareEnabled{1, 9, 7, 7};
inline constexpr QRect GreySquareDisabled{10, 9, 7, 7};
inline constexpr QRect OptionDotEnabled{2, 18, 5, 5};
inline constexpr QRect OptionDotDisabled{11, 18, 5, 5};

inline constexpr int DiscSize = 13;
inline constexpr QRect disc(int face) {
    return {0, DiscSize * face, DiscSize, DiscSize};
} // 3 is disabled
inline constexpr QRect CheckHoverStrip{1, 17, 11, 5};
inline constexpr QRect CheckPressedStrip{1, 30, 11, 5};

inline constexpr int HeaderFaceWidth = 3;
inline constexpr int HeaderHeight = 20;
inline constexpr QRect headerFace(int state) {
    return {HeaderFaceWidth * state, 0, HeaderFaceWidth, HeaderHeight};
}
inline constexpr QRect HeaderBackground{1, 0, 1, 20};
} // namespace tiles

// Builds all five images, pixel by pixel.
SkinImages buildSkinImages();

} // namespace corvessa::skin
