// A text field that shows a path: it remembers the bytes it was given, so that
// PathInField returns them unchanged when the operator left the text as it was,
// and encodes an edited text back as PathText describes.
#pragma once

#include <string>

class QLineEdit;

void ShowPathInField(QLineEdit* field, const std::string& path);
std::string PathInField(const QLineEdit* field);
