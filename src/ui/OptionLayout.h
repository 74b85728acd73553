// Layout of the options dialog "ｵﾌﾟｼｮﾝ設定": four pages of one-line fields, each
// with its caption above, and the buttons "変更" and "戻る".
#pragma once

#include "settings/Settings.h"

#include <array>
#include <string>
#include <vector>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

struct OptionField {
    int number; // LabeledEditN
    int page;
    int tag;
    const char* label;
    const char* allowed; // "" takes every character
    int maxLength;       // 0: no limit
    int width;
    std::string TSettings::*text;
    int TSettings::*integer;
    const char* hint;
};

// The fields by page and Tag, with the setting each one edits.
const std::vector<OptionField>& OptionFields();

struct TOptionControls {
    // Creates the pages, the fields of OptionFields() and the buttons inside dialog.
    void SetupUi(QDialog* dialog);

    QTabWidget* PageControl1 = nullptr;
    QPushButton* Button1 = nullptr; // "変更"
    QPushButton* Button2 = nullptr; // "戻る"
    // LabeledEdit1 to LabeledEdit24 and their captions by their number.
    std::array<QLineEdit*, 25> edits{};
    std::array<QLabel*, 25> labels{};
};
