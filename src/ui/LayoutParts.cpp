#include "ui/LayoutParts.h"

#include "ui/Fonts.h"

#include <QGroupBox>
#include <QLabel>

void Colour(QWidget* w, const QColor& text, const QColor& background) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Base, background);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const QRect& r, const QColor& text, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(r);
    label->setFont(GothicFont());
    Colour(label, text, Qt::black);
    return label;
}

QGroupBox* MakePanel(QWidget* parent, const QString& caption, const QRect& r,
                     const QColor& colour) {
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(r);
    box->setFont(GothicFont());
    Colour(box, Qt::white, colour);
    box->hide();
    return box;
}

void SetPanelColour(QWidget* panel, const QColor& colour) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
}
