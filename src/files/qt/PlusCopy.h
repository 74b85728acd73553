// TPlusCopyForm: copy or move the marked files into a folder chosen with a history
// of earlier destinations (Path.lst). The main window fills the file list, sets the
// working directory and whether it copies, and binds the transfer itself.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class HistoryCombo;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class TPlusCopyForm : public QDialog {
    Q_OBJECT
public:
    explicit TPlusCopyForm(QWidget* parent = nullptr);

    // Set by the main window before every showing.
    std::string DirPath;
    bool CopyFlag = true;
    // TransferFiles of the main window: ";"-separated sources into a folder.
    std::function<bool(const std::string& sources, const std::string& destDir)> transferFiles;
    // Puts the normal function-key legend back into the main window.
    std::function<void()> restoreLegend;
    // The history file; Path.lst in the program folder unless a test says otherwise.
    std::filesystem::path historyFile;

    void FormShow();
    void ComboBox1Change();
    // Enter and the character filter of the destination; may set ch to 0.
    void ComboBox1KeyPress(QChar& ch);
    void Button1Click();
    void Button3Click();

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

    // A file of the list, shown decoded, kept as the bytes of its name.
    void AddFile(const std::string& name);
    std::string FileName(int index) const;

    // The history entries as the combo box holds them.
    std::vector<std::string> HistoryEntries() const;

    // Tests choose the folder here instead of the folder browser (empty: cancelled).
    std::function<QString(const QString& title, const QString& start)> browseForTest;

protected:
    void showEvent(QShowEvent* event) override;

public:
    // Every way of closing passes here: the legend, the history, the screen saver.
    void done(int result) override;

private:
    void CentreOnMainWindow();

    // The destination's history, key filter and bytes.
    HistoryCombo* history_ = nullptr;
};
