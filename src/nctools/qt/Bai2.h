// TBai2Form, "選択軸２倍変換": doubles the value of one axis address in every line of
// the data view and saves the result beside the source under the "_2" name. The
// main window supplies the names and the view through Prepare; the dialog keeps
// nothing between showings. A run cannot be started twice, and closing the dialog
// during a run waits for its end.
#pragma once

#include "nctools/AxisDoubling.h"

#include <QDialog>

class DataView;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// What the dialog needs of the main window.
class TBai2Host {
public:
    virtual ~TBai2Host() = default;
    // RichEdit1: the lines converted, and the converted text afterwards.
    virtual DataView& View() = 0;
    // The main file list read again, so that the new file shows.
    virtual void Relist() = 0;
    // The function-key legend back into the prompt line.
    virtual void RestoreLegend() = 0;
};

class TBai2Form : public QDialog {
    Q_OBJECT
public:
    TBai2Form(TBai2Host& host, QWidget* parent = nullptr);

    // The names of the next showing; the axis field is emptied.
    void Prepare(const std::string& dirPath, const std::string& sourceName,
                 const std::string& outputName);
    bool Running() const { return running_; }

    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QProgressBar* ProgressBar1;

public slots:
    // Every way of closing passes here: during a run the close waits for its end.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    bool Edit1KeyPress(QKeyEvent* event);
    void Edit1Change();
    void Button1Click();
    void ReportFailure(const DoublingOutcome& outcome);

    TBai2Host& host_;
    DoublingOptions options_;
    bool running_ = false;
    bool closeAfterRun_ = false;
    int closeResult_ = QDialog::Rejected;
};
