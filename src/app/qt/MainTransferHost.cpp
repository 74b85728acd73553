#include "app/qt/MainTransferHost.h"

#include "app/qt/Mainunit1.h"
#include "nctools/qt/Autono.h"
#include "platform/qt/KeyStateFilter.h"
#include "platform/qt/MessageBox.h"
#include "transfer/TransferHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QThread>

#include <chrono>

namespace {

QColor ColourOf(MessageColour colour) {
    switch (colour) {
    case MessageColour::Red:
        return QColor(0xFF, 0x00, 0x00);
    case MessageColour::Lime:
        return QColor(0x00, 0xFF, 0x00);
    case MessageColour::Blue:
        return QColor(0x00, 0x00, 0xFF);
    case MessageColour::Black:
        break;
    }
    return QColor(0x00, 0x00, 0x00);
}

BoxIcon IconOf(HostBox kind) {
    switch (kind) {
    case HostBox::Error:
    case HostBox::Refusal:
        return BoxIcon::Stop;
    case HostBox::Information:
        return BoxIcon::Information;
    case HostBox::Exclamation:
    case HostBox::Warning:
        return BoxIcon::Exclamation;
    case HostBox::Question:
        return BoxIcon::Question;
    case HostBox::Plain:
        break;
    }
    return BoxIcon::None;
}

class TMainTransferHost : public QObject, public TransferHost {
public:
    static constexpr const char* kName = "MainTransferHost";

    explicit TMainTransferHost(TForm1& form) : QObject(&form), form_(form), keys_(this) {
        setObjectName(kName);
        keys_.Install();
    }

    // When set, the sleeps of this window's jobs go here instead of blocking.
    void SetSleep(std::function<void(int)> sleep) { sleep_ = std::move(sleep); }

    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void Sleep(int ms) override {
        if (sleep_)
            sleep_(ms);
        else
            QThread::msleep(static_cast<unsigned long>(ms));
    }
    bool SleepUntilInput(int fd, std::chrono::microseconds wait) override {
        if (!sleep_)
            return TransferHost::SleepUntilInput(fd, wait);
        sleep_(
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
        return true;
    }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    bool AbortKeyHeld() override { return keys_.Held() || stopRequested_; }
    bool AbortKeyPressed() override {
        const bool pressed = keys_.Pressed();
        return pressed || stopRequested_;
    }
    void ReleaseAbortKeys() override {
        keys_.Release();
        stopRequested_ = false;
    }
    void RequestStop() { stopRequested_ = true; }

    void SetDsrLamp(bool on) override {
        QPalette p = form_.LabeledEdit1->palette();
        p.setColor(QPalette::Text, on ? Qt::blue : Qt::red);
        form_.LabeledEdit1->setPalette(p);
    }
    void SetCtsLamp(bool on) override {
        form_.LabeledEdit2->setText(on ? QStringLiteral(" ●") : QStringLiteral(" ○"));
    }

    void SetStatusText(int panel, std::string_view text) override {
        form_.SetStatusPanel(panel, QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    void SetMessageLine(std::string_view text, MessageColour colour) override {
        form_.SetMessage(QString::fromUtf8(text.data(), qsizetype(text.size())), ColourOf(colour));
    }

    int AskYesNo(HostBox kind, std::string_view caption, std::string_view text) override {
        form_.LastAnswer = Show(kind, {IconOf(kind),
                                       BoxButtons::YesNo,
                                       Caption(HostBox::Question, caption),
                                       QString::fromUtf8(text.data(), qsizetype(text.size())),
                                       {}});
        return form_.LastAnswer;
    }
    void ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                 std::string_view detail) override {
        form_.LastAnswer = Show(kind, {IconOf(kind), BoxButtons::Ok, Caption(kind, caption),
                                       QString::fromUtf8(text.data(), qsizetype(text.size())),
                                       QString::fromUtf8(detail.data(), qsizetype(detail.size()))});
    }

    std::optional<std::string> AskSelectionText() override {
        form_.RememberWindowRect();
        TAutoForm dialog(&form_);
        return dialog.AskSelection();
    }

private:
    // Error and warning boxes stand at the window's corner, the others centre on it.
    int Show(HostBox kind, const BoxRequest& request) {
        if (kind == HostBox::Error || kind == HostBox::Warning)
            return ShowBoxAtCorner(&form_, request);
        return ::ShowBox(&form_, request);
    }
    // A box without a caption of its own says what it is: a question, a completion,
    // nothing done, or else a failure; never the bare program name.
    static QString Caption(HostBox kind, std::string_view caption) {
        if (!caption.empty())
            return QString::fromUtf8(caption.data(), qsizetype(caption.size()));
        switch (kind) {
        case HostBox::Question:
        case HostBox::Refusal:
            return QStringLiteral("確認");
        case HostBox::Information:
            return QStringLiteral("完了");
        case HostBox::Exclamation:
            return QStringLiteral("中止");
        default:
            return QStringLiteral("エラー");
        }
    }

    TForm1& form_;
    KeyStateFilter keys_;
    bool stopRequested_ = false;
    std::function<void(int)> sleep_;
};

TMainTransferHost& HostOf(TForm1& form) {
    // Found by name: the class has no meta-object of its own for findChild to match.
    auto* host = form.findChild<QObject*>(TMainTransferHost::kName, Qt::FindDirectChildrenOnly);
    return host ? *static_cast<TMainTransferHost*>(host) : *new TMainTransferHost(form);
}

} // namespace

void SetTransferSleep(TForm1& form, std::function<void(int ms)> sleep) {
    HostOf(form).SetSleep(std::move(sleep));
}

TransferHost& MainTransferHost(TForm1& form) {
    return HostOf(form);
}

void RequestTransferStop(TForm1& form) {
    HostOf(form).RequestStop();
}
