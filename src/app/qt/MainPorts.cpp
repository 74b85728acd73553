#include "app/qt/Mainunit1.h"

bool TForm1::PortUsable(int) {
    return false;
}
