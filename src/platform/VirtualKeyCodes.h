// Virtual-key codes of the keyboard: the numbers the key table, the legends and the
// panels use for a key (letters are their upper-case character).
#pragma once

namespace vk {
inline constexpr int Back = 0x08;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Menu = 0x12; // Alt
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Prior = 0x21; // PgUp
inline constexpr int Next = 0x22;  // PgDn
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int F1 = 0x70;
inline constexpr int F(int n) {
    return F1 + n - 1;
}
} // namespace vk
