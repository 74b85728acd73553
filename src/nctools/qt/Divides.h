// TDividesForm, "Ｏ番号毎分割": splits the lines of the data view into one file per
// program in a destination folder chosen with the history shared with the copy and
// move dialog (Path.lst). The options menu "分割ｵﾌﾟｼｮﾝ" keeps its three flags in
// Div_Sub.ini. The split runs on the user-interface thread and keeps the dialog
// painted; a close asked for during the run waits for its end.
#pragma once

#include "nctools/SplitOptions.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QProgressBar;
class QPushButton;
class HistoryCombo;
class TextDocument;

class TDividesForm : public QDialog {
    Q_OBJECT
public:
    explicit TDividesForm(QWidget* parent = nullptr);

    // Set by the main window before every showing.
    std::string DirPath;
    std::string Mask = "*.NC";
    const TextDocument* Source = nullptr; // the lines of the data view
    std::string SourceName;               // shown in Label1
    std::filesystem::path SourcePath;     // never replaced by one of its programs
    // Reads the main file list again after a split; restores the legend at close.
    std::function<void()> relist;
    std::function<void()> restoreLegend;
    // Beside the program unless a test says otherwise.
    std::filesystem::path historyFile;
    std::filesystem::path optionsFile;
    // Tests choose the folder here instead of the folder browser (empty: cancelled).
    std::function<QString(const QString& title, const QString& start)> browseForTest;

    void FormShow();
    void ComboBox1Change();
    void Button1Click();
    void Button3Click();
    void OptionClick(QAction* entry);

    const SplitOptions& Options() const { return options_; }
    bool Running() const { return running_; }
    HistoryCombo* History() const { return history_; }

    QMenuBar* MainMenu1 = nullptr;
    QAction* op_f = nullptr;
    QAction* op_b = nullptr;
    QAction* op_n = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Every way of closing passes here; during a split the close waits for its end.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The destination folder, created on Yes; empty when the split must not start.
    std::string PrepareDestination(const std::string& typed);
    void RunSplit(const std::string& dest);
    void KeepPainted();
    void ShowFound();
    void ShowChecks();

    HistoryCombo* history_ = nullptr;
    SplitOptions options_;
    bool running_ = false;
    bool closeAfterRun_ = false;
    QElapsedTimer painted_;
    QStringList found_; // program lines not yet in ListBox1
};
