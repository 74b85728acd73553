#include "files/qt/TransferDialogs.h"

#include "platform/TextCodec.h"
#include "platform/qt/AttachedService.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace {

// More files than this get a progress dialog.
constexpr size_t kFewFiles = 3;
// At most this many failures are listed one by one.
constexpr size_t kListedFailures = 15;

constexpr char kReplaceQuestionKey[] = "dravikReplaceQuestion";

ReplaceAnswer AskModally(QWidget* parent, const std::filesystem::path& existing) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ファイル上書きの確認"),
                    QStringLiteral("このフォルダには既に '%1' が存在します。\n\n"
                                   "既存のファイルを置き換えますか？")
                        .arg(ShownText(existing.filename().string())),
                    QMessageBox::NoButton, parent);
    QAbstractButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QAbstractButton* all = box.addButton(QStringLiteral("すべて上書き(&A)"), QMessageBox::YesRole);
    QAbstractButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(static_cast<QPushButton*>(yes));
    box.exec();
    if (box.clickedButton() == yes)
        return ReplaceAnswer::Yes;
    if (box.clickedButton() == all)
        return ReplaceAnswer::YesToAll;
    if (box.clickedButton() == no)
        return ReplaceAnswer::No;
    return ReplaceAnswer::Cancel; // Cancel, Esc or the title bar
}

} // namespace

void SetReplaceQuestion(QWidget& owner, ReplaceQuestion* question) {
    AttachService(owner, kReplaceQuestionKey, question);
}

ReplaceAnswer AskReplace(QWidget* parent, const std::filesystem::path& existing) {
    if (void* question = FindAttachedService(parent, kReplaceQuestionKey))
        return static_cast<ReplaceQuestion*>(question)->Ask(parent, existing);
    return AskModally(parent, existing);
}

TransferOutcome TransferWithDialogs(QWidget* parent, const std::vector<std::string>& sources,
                                    const std::string& destDir, bool copy) {
    std::unique_ptr<QProgressDialog> progress;
    TransferHooks hooks;
    hooks.askReplace = [parent](const std::filesystem::path& existing) {
        return AskReplace(parent, existing);
    };
    hooks.progress = [&](size_t done, size_t total, const std::filesystem::path& current) {
        if (total <= kFewFiles)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("キャンセル"), 0,
                                                         static_cast<int>(total), parent);
            progress->setWindowTitle(copy ? QStringLiteral("ファイルコピー")
                                          : QStringLiteral("ファイル移動"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(300);
        }
        progress->setLabelText((copy ? QStringLiteral("コピー中: ") : QStringLiteral("移動中: ")) +
                               ShownText(current.filename().string()));
        progress->setValue(static_cast<int>(done));
        QApplication::processEvents();
        return !progress->wasCanceled();
    };
    TransferOutcome outcome = TransferPaths(sources, destDir, copy, hooks);
    return outcome;
}

QString FailureText(const QString& heading, const std::vector<std::string>& failures) {
    QString text = heading;
    for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
        text += QStringLiteral("\n") + ShownText(failures[i]);
    if (failures.size() > kListedFailures)
        text += QStringLiteral("\n… ほか %1 件").arg(failures.size() - kListedFailures);
    return text;
}
