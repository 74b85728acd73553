// The pieces every layout of the main window builds from: a control's colours, a
// label in the Gothic face, a hidden panel (group box) in its colour.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QWidget;

// Text and background colours, drawn by the control itself.
void Colour(QWidget* w, const QColor& text, const QColor& background);
// A label on black in the Gothic face.
QLabel* MakeLabel(QWidget* parent, const QRect& r, const QColor& text, const QString& caption = {});
// A group box in white on colour, hidden until its mode shows it.
QGroupBox* MakePanel(QWidget* parent, const QString& caption, const QRect& r, const QColor& colour);
// Only the background colour of a shown panel changes with its mode.
void SetPanelColour(QWidget* panel, const QColor& colour);
