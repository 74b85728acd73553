// Text between bytes and Qt. The logic holds UTF-8 texts and bytes as the file
// system or a file gave them; Qt holds QString. Bytes of a file or a name are
// decoded (UTF-8 when valid, else CP932), a path name by name, and a field that
// shows a path gives back its bytes unchanged unless the operator edited it.
// Never QString::fromStdString/toStdString on a path: use these.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QLineEdit;

// A UTF-8 text of the program (messages, typed texts, decoded names) and back.
QString FromUtf8(std::string_view utf8);
std::string ToUtf8(const QString& text);

// Bytes of a file or of one name as shown: UTF-8 when valid, else CP932.
QString DecodedText(std::string_view bytes);
// Bytes of a path as shown, name by name: a Shift-JIS folder in a UTF-8 path shows right.
QString ShownText(std::string_view pathBytes);

// A text field that shows a path: it remembers the bytes it was given, so that
// PathInField returns them unchanged when the operator left the text as it was,
// and encodes an edited text back the way PathFromText does.
void ShowPathInField(QLineEdit* field, const std::string& path);
std::string PathInField(const QLineEdit* field);
