// Character rules of the entry fields: a typed character is taken when it is in
// the field's allowed set (an empty set allows everything) or is Backspace, and a
// field may force its letters to capitals (a-z only, as the original's mapping).
// Text that reaches a field without a key press (an input method's commit) is
// checked again, since it bypasses the key handlers.
#pragma once

#include <QString>

class QKeyEvent;
class QLineEdit;

struct FieldRule {
    QString allowed; // empty: every character
    bool upper = false;

    bool Allows(QChar ch) const;
    // The text with the characters outside the set removed, capitals forced.
    QString Apply(const QString& text) const;
};

// The character part of a key press into edit: returns true when the key is
// consumed (dropped, or inserted in capitals); false lets the field take it.
bool FilterTypedCharacter(QLineEdit* edit, const QKeyEvent* event, const FieldRule& rule);

// The character of a key press as a key-press handler sees it: "\r" for Enter and
// Return, 0 for a key without text.
QChar TypedCharacter(const QKeyEvent* event);

// Checks the rule again whenever the operator's edit changes the text.
void GuardEditedText(QLineEdit* edit, const FieldRule& rule);
