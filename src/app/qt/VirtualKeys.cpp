#include "app/qt/VirtualKeys.h"

#include "app/CommandTable.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, int>, 16> kKeys{{
    {Qt::Key_Backspace, vk::Back},
    {Qt::Key_Return, vk::Return},
    {Qt::Key_Enter, vk::Return},
    {Qt::Key_Shift, vk::Shift},
    {Qt::Key_Control, vk::Control},
    {Qt::Key_Alt, vk::Menu},
    {Qt::Key_Escape, vk::Escape},
    {Qt::Key_Space, vk::Space},
    {Qt::Key_PageUp, vk::Prior},
    {Qt::Key_PageDown, vk::Next},
    {Qt::Key_End, vk::End},
    {Qt::Key_Home, vk::Home},
    {Qt::Key_Left, vk::Left},
    {Qt::Key_Up, vk::Up},
    {Qt::Key_Right, vk::Right},
    {Qt::Key_Down, vk::Down},
}};

} // namespace

int VirtualKeyFromQt(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::F1 + (qtKey - Qt::Key_F1);
    for (auto [qt, code] : kKeys) {
        if (qt == qtKey)
            return code;
    }
    return 0;
}

int QtKeyFromVirtual(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return Qt::Key_A + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return Qt::Key_0 + (virtualKey - '0');
    if (virtualKey >= vk::F1 && virtualKey < vk::F1 + 24)
        return Qt::Key_F1 + (virtualKey - vk::F1);
    for (auto [qt, code] : kKeys) {
        if (code == virtualKey)
            return qt;
    }
    return Qt::Key_unknown;
}

QString TextOfVirtualKey(int virtualKey, bool shift) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return QString(QChar(shift ? virtualKey : virtualKey + 32));
    if (virtualKey >= '0' && virtualKey <= '9')
        return QString(QChar(virtualKey));
    switch (virtualKey) {
    case vk::Return:
        return QStringLiteral("\r");
    case vk::Escape:
        return QStringLiteral("\x1b");
    case vk::Space:
        return QStringLiteral(" ");
    case vk::Back:
        return QStringLiteral("\b");
    default:
        return {};
    }
}
