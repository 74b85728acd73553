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
class QListWidget;
class QProgressBar;
class QTimer;
class QWidget;
class TSaveQuestionLabel;
class TStatusPanels;

struct TForm1Controls {
    // Creates every control inside window (and the sort panel and the save question
    // inside their group boxes).
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
    QLabel* Label11 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label1 = nullptr;
    TStatusPanels* StatusBar2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    DataView* RichEdit1 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label16 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QLabel* Label40 = nullptr;
    QLabel* Label41 = nullptr;
    QLineEdit* Edit16 = nullptr;
    TSaveQuestionLabel* Label38 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    // Sort panel (GroupBox3).
    QLabel* Label21 = nullptr;  // the current sort
    QLineEdit* Edit7 = nullptr; // the new sort, "N-D" and so on
    QLabel* Label22 = nullptr;  // legend

private:
    void SetupSortPanel();
    void SetupSaveQuestion();
};
