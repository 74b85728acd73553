// F7: the communication settings panel inside GroupBox1, and what it asks of the
// window.
#include "app/qt/Mainunit1.h"

#include "files/qt/FileListBox.h"
#include "ui/CommandLinePanel.h"

#include <QGroupBox>
#include <QTimer>

void TForm1::OpenCommSettings() {
    CommPanel->Open();
}

QWidget* TForm1::PanelWindow() {
    return this;
}

TSettings& TForm1::PanelSettings() {
    return Settings;
}

void TForm1::RememberAnswer(int answer) {
    LastAnswer = answer;
}

void TForm1::CommPanelShown() {
    GroupBox1->show();
    GroupBox1->raise();
    ListBox1->setEnabled(false);
    CommandLine->Enable(false);
}

void TForm1::CommPanelHidden() {
    GroupBox1->hide();
    ListBox1->setEnabled(true);
}

void TForm1::CommSettingsStored() {
    // Browsing keeps the command line disabled; it is enabled only by its own commands.
    CommandLine->Enable(false);
    ListBox1->setFocus();
    for (int panel : {4, 5, 6})
        SetStatusPanel(panel, QString());
}

void TForm1::CommSettingsLeft() {
    AbortToIdle();
    CommandLine->Enable(true);
}

void TForm1::CloseWindow() {
    close();
}
