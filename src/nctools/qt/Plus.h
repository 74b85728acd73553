// TPlusForm, "ﾌｧｲﾙ結合": joins the marked files, in marking order, into one new
// file of the working directory, named with the history kept in NAME.lst. Each
// input is read through the data view's loader, so the join writes the lines the
// viewer shows, each followed by CR LF.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class HistoryCombo;
class TextDocument;

class TPlusForm : public QDialog {
    Q_OBJECT
public:
    explicit TPlusForm(QWidget* parent = nullptr);

    // Set by the main window before every showing.
    std::string DirPath;
    std::string Mask = "*.NC";
    // Loads a file of the working directory into the data view and returns its lines;
    // nullptr when it cannot be read.
    std::function<const TextDocument*(const std::string& name)> loadFile;
    std::function<void()> relist;
    std::function<void()> restoreLegend;
    std::filesystem::path historyFile; // NAME.lst beside the program unless a test says otherwise

    // The input list: shown decoded, kept as the bytes of each name.
    void SetFiles(const std::vector<std::string>& names);
    std::vector<std::string> Files() const;

    void FormShow();
    void ComboBox1Change();
    void Button1Click();
    HistoryCombo* History() const { return history_; }

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Every way of closing passes here; during a join the close waits for its end.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RunJoin(const std::string& outputPath);
    // The box naming an input that cannot be read: the given one, else the first of
    // the list found so; false when every input can be read.
    bool RefuseUnreadableInput(std::optional<size_t> input = std::nullopt);

    HistoryCombo* history_ = nullptr;
    bool running_ = false;
    bool closeAfterRun_ = false;
};
