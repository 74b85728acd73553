// OpenDialog1 of the application dialogs: the program chooser titled
// "ｱﾌﾟﾘｹｰｼｮﾝ設定". Its first filter shows the files with an execute bit (they stand
// in for programs and batch files), its second every file; it starts in /usr/bin.
#pragma once

#include <QFileDialog>

#include <functional>
#include <string>

class ProgramChooser : public QFileDialog {
    Q_OBJECT
public:
    static const QString kProgramsFilter;
    static const QString kAllFilter;

    explicit ProgramChooser(QWidget* parent = nullptr);

    // Whether the filter shown now lets a file or folder through.
    bool Shows(const QFileInfo& info) const;

    // Opens the chooser; the chosen path as bytes, taken as it is (empty: cancelled).
    static std::string Choose(QWidget* parent);
};

struct AppDialogHooks;

// The chooser that hooks name, or the modal one when they name none.
std::string ChooseProgram(const AppDialogHooks& hooks, QWidget* parent);
