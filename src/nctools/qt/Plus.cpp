#include "nctools/qt/Plus.h"

#include "files/HistoryList.h"
#include "files/TextDocument.h"
#include "files/qt/HistoryCombo.h"
#include "files/qt/TransferDialogs.h"
#include "nctools/FileJoin.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kRefused = QStringLiteral("/:,;*?<>|.");
const QString kRefusedText = QStringLiteral("この文字はファイル名に使えません。\n/:,;*?<>|.");

} // namespace

TPlusForm::TPlusForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾌｧｲﾙ結合"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(242, 244);
    Label1 = new QLabel(QStringLiteral("ﾌｧｲﾙ結合一覧"), this);
    Label1->setGeometry(8, 6, 226, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 24, 226, 132);
    Label2 = new QLabel(QStringLiteral("結合ﾌｧｲﾙ名"), this);
    Label2->setGeometry(8, 162, 100, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(8, 180, 226, 24);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(40, 212, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(128, 212, 80, 26);
    PressOnEnter({Button1, Button2});
    history_ = new HistoryCombo(ComboBox1, kRefused, kRefusedText, [this] { Button1Click(); });
    historyFile = ProgramFolder() / "NAME.lst";
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, &TPlusForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TPlusForm::SetFiles(const std::vector<std::string>& names) {
    ListBox1->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(ShownText(name), ListBox1);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
}

std::vector<std::string> TPlusForm::Files() const {
    std::vector<std::string> names;
    for (int i = 0; i < ListBox1->count(); ++i)
        names.push_back(ListBox1->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return names;
}

void TPlusForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPlusForm::FormShow() {
    if (QWidget* main = parentWidget()) {
        const QRect r = main->geometry();
        move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
    }
    Button1->setEnabled(false);
    // The names are those of files to write: their bytes stay as the list holds them.
    std::vector<std::string> entries;
    if (LoadHistory(historyFile, entries, HistoryKind::Paths)) {
        history_->SetEntries(entries);
        if (!entries.empty()) {
            Button1->setEnabled(true);
            history_->SetText(entries.front());
        }
    }
    ComboBox1->setFocus();
}

void TPlusForm::ComboBox1Change() {
    Button1->setEnabled(!running_ && !ComboBox1->currentText().isEmpty());
}

void TPlusForm::Button1Click() {
    if (running_)
        return;
    ScreenSaver::Suspend();
    const std::string typed = history_->Text();
    if (typed.empty()) {
        ComboBox1->setFocus();
        return;
    }
    const std::string outputName = JoinOutputName(typed, MaskExtension(Mask));
    const std::string outputPath = JoinOutputPath(DirPath, outputName);
    std::vector<std::string> entries = history_->Entries();
    UpdateHistory(entries, typed);
    history_->SetEntries(entries);
    if (RefuseUnreadableInput())
        return;
    std::error_code ec;
    if (std::filesystem::exists(outputPath, ec)) {
        const int answer =
            ShowBoxAtCorner(this, {BoxIcon::Exclamation,
                                   BoxButtons::YesNo,
                                   QStringLiteral("警告"),
                                   QStringLiteral("すでに") + ShownText(outputPath) +
                                       QStringLiteral("が有ります。\n上書きしますか？"),
                                   {}});
        if (answer != kAnswerYes) {
            ComboBox1->setFocus();
            return;
        }
    }
    if (JoinOutputIsInput(DirPath, outputName, Files())) {
        ShowRefusal(this, QStringLiteral("この結合ﾌｧｲﾙ名は選択したﾌｧｲﾙに存在します。"));
        ComboBox1->setFocus();
        return;
    }
    RunJoin(outputPath);
}

bool TPlusForm::RefuseUnreadableInput(std::optional<size_t> input) {
    const std::vector<std::string> names = Files();
    if (!input) {
        std::vector<std::string> paths;
        for (const std::string& name : names)
            paths.push_back(JoinPath(DirPath, name));
        input = FirstUnreadableInput(paths);
    }
    if (*input >= names.size())
        return false;
    ShowRefusal(this,
                QStringLiteral("ファイル %1 を読み込めません。").arg(DecodedText(names[*input])));
    ComboBox1->setFocus();
    return true;
}

void TPlusForm::RunJoin(const std::string& outputPath) {
    const std::vector<std::string> names = Files();
    static const TextDocument kEmpty;
    running_ = true;
    Button1->setEnabled(false);
    // The entry being appended is selected and painted between two inputs, so that a
    // join of many large files shows where it is.
    const JoinResult result = JoinIntoFile(
        outputPath, names.size(), [&](size_t i) { return loadFile ? loadFile(names[i]) : &kEmpty; },
        [&](size_t i) {
            if (i < names.size()) {
                ListBox1->setCurrentRow(static_cast<int>(i));
                QApplication::processEvents();
            }
            return true;
        });
    running_ = false;
    if (relist)
        relist();
    if (result.unreadable) {
        RefuseUnreadableInput(result.unreadableInput);
        ComboBox1Change();
        if (closeAfterRun_)
            done(QDialog::Rejected);
        return;
    }
    if (!result.ok) {
        ShowFailure(this, QStringLiteral("結合ファイルを書き込めませんでした。\n") +
                              ShownText(result.error));
        ComboBox1Change();
        if (closeAfterRun_)
            done(QDialog::Rejected);
        return;
    }
    ShowCompletion(this, QStringLiteral("ファイル結合完了しました。"));
    done(QDialog::Accepted);
}

void TPlusForm::done(int result) {
    if (running_) {
        closeAfterRun_ = true;
        return;
    }
    closeAfterRun_ = false;
    if (restoreLegend)
        restoreLegend();
    std::string error;
    if (!SaveHistory(historyFile, history_->Entries(), &error))
        ShowRefusal(this, QStringLiteral("履歴を保存できませんでした。\n") + ShownText(error));
    ScreenSaver::Allow();
    QDialog::done(result);
}
