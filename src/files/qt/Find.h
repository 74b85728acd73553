// TFindForm: narrows the file list to the files whose names begin with a typed text.
// It builds the search pattern and keeps the texts entered in FIND.LST; the main
// window lists with the pattern kept.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class HistoryCombo;
class QComboBox;
class QLabel;
class QPushButton;

class TFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* parent = nullptr);

    // Set by the main window before every showing.
    std::string DirPath;
    std::string Mask;
    // Lists the working directory with the pattern kept.
    std::function<void(const std::string& searchPattern)> listNarrowed;
    // Puts the normal function-key legend back into the main window.
    std::function<void()> restoreLegend;
    // FIND.LST in the program folder unless a test says otherwise.
    std::filesystem::path historyFile;

    void FormShow();
    void ComboBox1Change();
    // Enter and the character filter; may set ch to 0 (the key is dropped).
    void ComboBox1KeyPress(QChar& ch);
    void Button1Click();

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    std::vector<std::string> HistoryEntries() const;

    // Every way of closing passes here: the legend and the history.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The entry's history, key filter and bytes.
    HistoryCombo* history_ = nullptr;
};
