// Fonts of the window: IPAGothic for "ＭＳ ゴシック", IPAMincho for "ＭＳ 明朝".
#pragma once

#include <QFont>

QFont GothicFont(int pixelSize = 12);
QFont MinchoFont(int pixelSize = 12);
