// The menu window's design data, in twips as laid out.
#pragma once

#include "platform/types.h"

namespace ruvia::menu {

struct TwipsBox {
    int left, top, width, height;
};

inline constexpr const char* kMenuTitle = "ぶらさがりルビア";
inline constexpr const char* kCredit = "制作: ルビア工房";
inline constexpr const char* kVersion = "Ver1.00";
inline constexpr const char* kTopMostCaption = " 常に手前に表示";
inline constexpr const char* kTopMostOnCaption = "*常に手前に表示";
inline constexpr const char* kExitCaption = " 終了";

inline constexpr int kInnerWidth = 3156;
inline constexpr int kInnerHeight = 1836;
inline constexpr TwipsBox kPicture1{0, 0, 3132, 1812};
inline constexpr TwipsBox kPicture2{120, 120, 384, 672};
inline constexpr TwipsBox kLine1{0, 1080, 3120, 0};  // from (left, top) to (left + width, top)
inline constexpr TwipsBox kLabel5{960, 720, 2052, 372};
inline constexpr TwipsBox kLabel4{1200, 480, 1212, 252};
inline constexpr TwipsBox kLabel3{960, 120, 1932, 372};
inline constexpr TwipsBox kLabel2{0, 1440, 3732, 372};
inline constexpr TwipsBox kLabel1{0, 1080, 3732, 492};

// Highlight colours of an item under the pointer, and of the other item.
inline constexpr platform::OleColor kWhite = 0xFFFFFF;

}  // namespace ruvia::menu
