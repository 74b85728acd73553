// The key rule of the selection field of an automatic port switch; the text
// itself and how it is sent belong to the serial line (transfer/PortSelection.h).
#pragma once

#include "transfer/PortSelection.h"

// Whether a typed character may enter the selection field (backspace always may).
bool SelectionKeyAccepted(char32_t c);
