// The toolkit's labelled edit field: a line edit with its caption just above it,
// the caption's mnemonic leading to the field.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The field at editRect, the caption in the 16 pixels above; label receives it.
QLineEdit* MakeLabeledEdit(QWidget* parent, const QString& caption, const QRect& editRect,
                           QLabel** label);
