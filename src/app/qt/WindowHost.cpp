#include "app/qt/WindowHost.h"

#include "app/qt/Mainunit1.h"
#include "platform/qt/KeyStateFilter.h"
#include "platform/qt/MessageBox.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QThread>

#include <chrono>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
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

QColor ColourOf(MessageColour colour) {
    switch (colour) {
    case MessageColour::Red:
        return Qt::red;
    case MessageColour::Lime:
        return QColor(0x00, 0xFF, 0x00);
    case MessageColour::Blue:
        return Qt::blue;
    case MessageColour::Black:
        break;
    }
    return Qt::black;
}

std::function<void(int)>& SleepHook() {
    static std::function<void(int)> hook;
    return hook;
}

} // namespace

void TWindowHost::SetSleepForTest(std::function<void(int ms)> sleep) {
    SleepHook() = std::move(sleep);
}

TWindowHost::TWindowHost(TForm1& form) : form_(form), keys_(new KeyStateFilter()) {
    keys_->Install();
}

TWindowHost::~TWindowHost() {
    delete keys_;
}

void TWindowHost::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TWindowHost::Sleep(int ms) {
    if (SleepHook()) {
        SleepHook()(ms);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(ms));
}

std::int64_t TWindowHost::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool TWindowHost::AbortKeyHeld() {
    return keys_->Held();
}

bool TWindowHost::AbortKeyPressed() {
    return keys_->Pressed();
}

void TWindowHost::ReleaseAbortKeys() {
    keys_->Release();
}

// The lamps change only when the line does: they are set after every byte.
void TWindowHost::SetDsrLamp(bool on) {
    if (dsr_ == on)
        return;
    dsr_ = on;
    QPalette p = form_.LabeledEdit1->palette();
    p.setColor(QPalette::Text, on ? Qt::blue : Qt::red);
    form_.LabeledEdit1->setPalette(p);
}

void TWindowHost::SetCtsLamp(bool on) {
    if (cts_ == on)
        return;
    cts_ = on;
    form_.LabeledEdit2->setText(on ? QStringLiteral(" ●") : QStringLiteral(" ○"));
}

void TWindowHost::SetStatusText(int panel, std::string_view text) {
    form_.SetStatusPanel(panel, Text(text));
}

void TWindowHost::SetMessageLine(std::string_view text, MessageColour colour) {
    form_.SetMessage(Text(text), ColourOf(colour));
}

int TWindowHost::AskYesNo(HostBox kind, std::string_view caption, std::string_view text) {
    int answer =
        ::ShowBox(&form_, {IconOf(kind), BoxButtons::YesNo, Text(caption), Text(text), {}});
    form_.LastAnswer = answer;
    return answer;
}

void TWindowHost::ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                          std::string_view detail) {
    QString title = caption.empty() ? QStringLiteral("Dravik") : Text(caption);
    form_.LastAnswer =
        ::ShowBox(&form_, {IconOf(kind), BoxButtons::Ok, title, Text(text), Text(detail)});
}

std::optional<std::string> TWindowHost::AskSelectionText() {
    form_.RememberWindowRect();
    return selectionDialog ? selectionDialog() : std::nullopt;
}
