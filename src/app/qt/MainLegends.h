// Fixed texts of the main window's legends and help column.
#pragma once

inline constexpr const char* kNormalLegend =
    " F1 :ﾌｧｲﾙ送信　　 F2 :ﾌｧｲﾙ受信     F3 :ﾌｧｲﾙ削除     F4 :ﾌｧｲﾙｺﾋﾟｰ     F5 :ﾃﾞｨﾚｸﾄﾘ切換・作成\n"
    " F6 :拡張子変更   F7 :通信設定     F8 :ﾌｧｲﾙﾋﾞｭｰ     F9 :関連ｱﾌﾟﾘ起動 F10:終了";
inline constexpr const char* kShiftLegend =
    " F1 :ﾌｧｲﾙ送信+終了F2 :ﾌｧｲﾙ受信+終了F3 :ﾌｧｲﾙ移動     F4 :ﾌｧｲﾙ結合     F5 :ﾌｫﾙﾀﾞｰ表示       \n"
    " F6 :             F7 :             F8 :送受信ログ   F9 :ﾌｧｲﾙ分割     F10:終了";
inline constexpr const char* kKeyHints =
    " Shiftでｻﾌﾞﾒﾆｭｰ表示  　　　　　　               　  SP :ﾌｧｲﾙﾘｽﾄ更新  ESC:操作中止";
inline constexpr const char* kLetterHelp =
    " B:ﾌｧｲﾙ分割\n C:ﾌｧｲﾙｺﾋﾟｰ\n D:ﾌｧｲﾙ削除\n E:ｴﾃﾞｨﾀ起動\n G:ｴﾃﾞｨﾀ設定\n F:ﾌｧｲﾙ検索\n"
    " H:指定軸2倍\n I:ﾌｧｲﾙ情報\n K:ﾌｧｲﾙ結合\n L:ﾄﾞﾗｲﾌﾞ切換\n M:ﾌｧｲﾙ移動\n O:ｵﾌﾟｼｮﾝ設定\n"
    " R:ﾌｧｲﾙ名変更\n S:ﾌｧｲﾙｿｰﾄ\n V:ﾌｧｲﾙﾋﾞｭｰ\n X:関連付け起動\n Y:外部ｱﾌﾟﾘ設定\n"
    "---------------\n T:先頭に移動\n Z:末尾に移動\n";
