#include "platform/qt/MessageBox.h"

#include "platform/qt/AttachedService.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr char kPresenterKey[] = "dravikBoxPresenter";

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Stop:
        return QMessageBox::Critical;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

int ShowModalBox(QWidget* parent, const BoxRequest& request) {
    QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    parent);
    if (!request.detail.isEmpty())
        box.setDetailedText(request.detail);
    struct Choice {
        const char* text;
        QMessageBox::ButtonRole role;
        int answer;
    };
    std::vector<Choice> choices;
    switch (request.buttons) {
    case BoxButtons::Ok:
        choices = {{"OK", QMessageBox::AcceptRole, kAnswerOk}};
        break;
    case BoxButtons::OkCancel:
        choices = {{"OK", QMessageBox::AcceptRole, kAnswerOk},
                   {"キャンセル", QMessageBox::RejectRole, kAnswerCancel}};
        break;
    case BoxButtons::YesNo:
        choices = {{"はい(&Y)", QMessageBox::YesRole, kAnswerYes},
                   {"いいえ(&N)", QMessageBox::NoRole, kAnswerNo}};
        break;
    case BoxButtons::YesNoCancel:
        choices = {{"はい(&Y)", QMessageBox::YesRole, kAnswerYes},
                   {"いいえ(&N)", QMessageBox::NoRole, kAnswerNo},
                   {"キャンセル", QMessageBox::RejectRole, kAnswerCancel}};
        break;
    case BoxButtons::Yes:
        choices = {{"はい(&Y)", QMessageBox::YesRole, kAnswerYes}};
        break;
    }
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const Choice& c : choices)
        buttons.emplace_back(box.addButton(QString::fromUtf8(c.text), c.role), c.answer);
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
    if (request.position) {
        // The box is sized at show; moving it before keeps its corner where it was asked.
        box.adjustSize();
        box.move(*request.position);
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button)
            return answer;
    }
    // Closed with Esc or the title bar: the cancelling answer.
    switch (request.buttons) {
    case BoxButtons::YesNo:
        return kAnswerNo;
    case BoxButtons::Ok:
        return kAnswerOk;
    case BoxButtons::Yes:
        return kAnswerYes;
    default:
        return kAnswerCancel;
    }
}

class ModalBoxes : public BoxPresenter {
public:
    int Present(QWidget* parent, const BoxRequest& request) override {
        return ShowModalBox(parent, request);
    }
};

} // namespace

BoxPresenter& ModalBoxPresenter() {
    static ModalBoxes presenter;
    return presenter;
}

void SetBoxPresenter(QWidget& owner, BoxPresenter* presenter) {
    AttachService(owner, kPresenterKey, presenter);
}

int ShowBox(QWidget* parent, const BoxRequest& request) {
    void* attached = FindAttachedService(parent, kPresenterKey);
    BoxPresenter& presenter =
        attached ? *static_cast<BoxPresenter*>(attached) : ModalBoxPresenter();
    return presenter.Present(parent, request);
}

QPoint BoxCornerOf(const QWidget* window) {
    return window->frameGeometry().topLeft() + QPoint(50, 50);
}

int ShowBoxAtCorner(QWidget* window, BoxRequest request) {
    request.position = BoxCornerOf(window);
    return ShowBox(window, request);
}

void ShowRefusal(QWidget* parent, const QString& text) {
    ShowBox(parent, {BoxIcon::Stop, BoxButtons::Ok, QStringLiteral("確認"), text, {}});
}

void ShowFailure(QWidget* parent, const QString& text) {
    ShowBox(parent, {BoxIcon::Stop, BoxButtons::Ok, QStringLiteral("エラー"), text, {}});
}

void ShowCompletion(QWidget* parent, const QString& text) {
    ShowBox(parent, {BoxIcon::Information, BoxButtons::Ok, QStringLiteral("完了"), text, {}});
}

void ShowNothingToDo(QWidget* parent, const QString& text) {
    ShowBox(parent, {BoxIcon::Exclamation, BoxButtons::Ok, QStringLiteral("中止"), text, {}});
}

int AskYesNo(QWidget* parent, const QString& caption, const QString& text) {
    return ShowBox(parent, {BoxIcon::Question, BoxButtons::YesNo, caption, text, {}});
}
