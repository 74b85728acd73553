#include "nctools/qt/Bai2.h"

#include "files/FileLoading.h"
#include "files/qt/DataView.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/FieldRule.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

FieldRule AxisRule() {
    return {QString::fromLatin1(kAxisLetters.data(), qsizetype(kAxisLetters.size()))};
}

// Lines longer than this are cut in the message that names them.
constexpr size_t kShownLineBytes = 80;

} // namespace

TBai2Form::TBai2Form(TBai2Host& host, QWidget* parent) : QDialog(parent), host_(host) {
    setWindowTitle(QStringLiteral("選択軸２倍変換"));
    Label2 = new QLabel(QStringLiteral("変換前:"), this);
    Label3 = new QLabel(QStringLiteral("変換後:"), this);
    Label1 = new QLabel(QStringLiteral("２倍に変換軸"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(1);
    Label1->setBuddy(Edit1);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    // Enter belongs to the axis field, never to a default button.
    PressOnEnter({Button1, Button2});
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label2, 0, 0, 1, 3);
    layout->addWidget(Label3, 1, 0, 1, 3);
    layout->addWidget(Label1, 2, 0);
    layout->addWidget(Edit1, 2, 1);
    layout->addWidget(Button1, 3, 1);
    layout->addWidget(Button2, 3, 2);
    layout->addWidget(ProgressBar1, 4, 0, 1, 3);

    Edit1->installEventFilter(this);
    // Text committed by an input method or pasted never passes the key filter.
    GuardEditedText(Edit1, AxisRule());
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TBai2Form::Prepare(const std::string& dirPath, const std::string& sourceName,
                        const std::string& outputName) {
    options_ = {0, dirPath, sourceName, outputName};
    Edit1->clear();
}

void TBai2Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TBai2Form::FormShow() {
    if (QWidget* main = parentWidget()) {
        const QRect r = main->geometry();
        move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
    }
    Button1->setEnabled(false);
    Label2->setText(QStringLiteral("変換前:") + DecodedText(options_.sourceName));
    Label3->setText(QStringLiteral("変換後:") + DecodedText(options_.outputName));
    ProgressBar1->setRange(0, static_cast<int>(host_.View().LineCount()));
    ProgressBar1->setValue(0);
    Edit1->setFocus();
}

bool TBai2Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return Edit1KeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

// True when the key was handled here and goes no further.
bool TBai2Form::Edit1KeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The window is pumped during a run: an Enter then must not start another.
        if (!running_ && !Edit1->text().isEmpty())
            Button1Click();
        return true;
    }
    if (FilterTypedCharacter(Edit1, event, AxisRule())) {
        ShowRefusal(this, QStringLiteral("この文字は変更できません。\n"));
        return true;
    }
    return false;
}

void TBai2Form::Edit1Change() {
    Button1->setEnabled(!running_ && !Edit1->text().isEmpty());
}

void TBai2Form::Button1Click() {
    ScreenSaver::Suspend();
    const QByteArray typed = Edit1->text().toLatin1();
    options_.axis = AxisFromField(std::string_view(typed.data(), size_t(typed.size())));
    if (options_.axis == 0) {
        Edit1->setFocus();
        return;
    }
    running_ = true;
    Button1->setEnabled(false);
    DataView& view = host_.View();
    const DoublingOutcome outcome =
        DoubleAxisToFile(view.Document(), options_, [this](size_t nextLine) {
            ProgressBar1->setValue(static_cast<int>(nextLine));
            QApplication::processEvents();
            return true;
        });
    running_ = false;
    if (outcome.status != DoublingOutcome::Status::Done) {
        ReportFailure(outcome);
        Button1->setEnabled(!Edit1->text().isEmpty());
        if (closeAfterRun_)
            done(closeResult_);
        return;
    }
    // The view shows what was written, read back from the new file.
    ViewFileText written = ReadFileForView(JoinPath(options_.dirPath, options_.outputName));
    view.SetText(std::move(written.text));
    host_.Relist();
    ShowCompletion(this, QString(QChar(options_.axis)) +
                             QStringLiteral("軸を２倍に変換しました。\n") +
                             QStringLiteral("変換ファイル名は ") +
                             DecodedText(options_.outputName) + QStringLiteral("です。"));
    done(QDialog::Accepted);
}

void TBai2Form::ReportFailure(const DoublingOutcome& outcome) {
    if (outcome.status == DoublingOutcome::Status::NotANumber) {
        std::string_view line = host_.View().LineText(outcome.line);
        const QString shown = DecodedText(line.substr(0, kShownLineBytes));
        ShowRefusal(this, QStringLiteral("%1行目の%2の値が数値ではありません。\n%3\n"
                                         "変換を中止しました。ファイルは作成していません。")
                              .arg(outcome.line + 1)
                              .arg(QChar(options_.axis))
                              .arg(shown));
        return;
    }
    if (outcome.status == DoublingOutcome::Status::WriteFailed)
        ShowRefusal(this, QStringLiteral("変換ファイル %1 を書き込めません。\n%2")
                              .arg(DecodedText(options_.outputName), DecodedText(outcome.error)));
}

void TBai2Form::done(int result) {
    if (running_) {
        closeAfterRun_ = true;
        closeResult_ = result;
        return;
    }
    closeAfterRun_ = false;
    // The duties of a close belong to a dialog that is open.
    if (!isVisible()) {
        QDialog::done(result);
        return;
    }
    host_.RestoreLegend();
    ScreenSaver::Allow();
    QDialog::done(result);
}
