// The controls of the main window, laid out at their places, sizes, colours and
// fonts. The window derives from this struct, as from a generated form, and binds
// the controls to its handlers after SetupUi.
#pragma once

#include "ui/Fonts.h"

class DataView;
class FileListBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;
class QWidget;
class TCommandLinePanel;
class TSaveQuestion;
class TSortPanel;
class TStatusPanels;
class TTransferPanel;

struct TForm1Controls {
    // Creates every control inside window; the panels lay out their own.
    void SetupUi(QWidget* window);

    QLabel* Label4 = nullptr;
    QLineEdit* LabeledEdit1 = nullptr;
    QLineEdit* LabeledEdit2 = nullptr;
    QLabel* LabeledEdit1Label = nullptr;
    QLabel* LabeledEdit2Label = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    FileListBox* ListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    TCommandLinePanel* CommandLine = nullptr; // Label11 and Edit1
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label1 = nullptr;
    TStatusPanels* StatusBar2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    // GroupBox2 with its list, remaining-bytes line and progress bar; the data view
    // and its legend inside it serve every command.
    TTransferPanel* TransferPanel = nullptr;
    DataView* RichEdit1 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label40 = nullptr;
    QLabel* Label41 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    TSortPanel* SortPanel = nullptr;       // GroupBox3
    TSaveQuestion* SaveQuestion = nullptr; // GroupBox4
};
