// A line edit that shows a path or a command holding one: it remembers the bytes it
// was given and the encoding it decoded them from, so that text the operator left
// unchanged goes back byte for byte and edited text is encoded the same way.
#pragma once

#include <string>
#include <string_view>

class QLineEdit;

void SetPathText(QLineEdit* edit, std::string_view bytes);
std::string PathTextBytes(const QLineEdit* edit);
