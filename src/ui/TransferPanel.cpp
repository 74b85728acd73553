#include "ui/TransferPanel.h"

#include "files/qt/DataView.h"
#include "ui/Fonts.h"
#include "ui/LayoutParts.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include <algorithm>

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);

// The panel is narrowed to 350 and widened to 650 by the modes that show it: the
// data view and the legend follow its width, so that the view's vertical scroll
// bar and the right part of every line stay inside the panel.
class TransferPanelFit : public QObject {
public:
    TransferPanelFit(QGroupBox* panel, QWidget* view, QWidget* legend)
        : QObject(panel), view_(view), legend_(legend) {
        panel->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            const int width = static_cast<QWidget*>(watched)->width();
            view_->setGeometry(kInset, 20, width - 2 * kInset, 220);
            legend_->setGeometry(kInset, 264, std::min(400, width - 2 * kInset), 18);
        }
        return false;
    }

private:
    static constexpr int kInset = 8;
    QWidget* view_;
    QWidget* legend_;
};

} // namespace

TTransferPanel::TTransferPanel(QWidget* window, QWidget* statusBar) : QObject(window) {
    GroupBox2 = MakePanel(window, QStringLiteral("受信データ"), {24, 96, 650, 289}, kTeal);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    RichEdit1 = new DataView(GroupBox2);
    RichEdit1->setGeometry(8, 20, 634, 220);
    Label17 = MakeLabel(GroupBox2, {8, 244, 300, 18}, Qt::white);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label16 = MakeLabel(GroupBox2, {8, 264, 400, 18}, Qt::white,
                        QStringLiteral("                         F3 :中止(Esc)"));
    Label16->setAutoFillBackground(false);
    // Label1's fixed-pitch face and size: half-width characters of 8 pixels put
    // "F3 :中止(Esc)" inside the click zone x 220 to 340.
    Label16->setFont(GothicFont(16));
    ListBox2 = new QListWidget(GroupBox2);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setGeometry(420, 244, 222, 40);
    ListBox2->setFont(GothicFont());
    ListBox2->setFocusPolicy(Qt::NoFocus);
    new TransferPanelFit(GroupBox2, RichEdit1, Label16);

    ProgressBar1 = new QProgressBar(statusBar);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(252, 2, 98, statusBar->height() - 2);
    ProgressBar1->setValue(0);
}

void TTransferPanel::ShowAs(TransferPanelMode mode, const QString& caption, const QRect& place,
                            const QColor& colour) {
    mode_ = mode;
    GroupBox2->setTitle(caption);
    GroupBox2->setGeometry(place.x(), place.y(), place.width(), GroupBox2->height());
    SetPanelColour(GroupBox2, colour);
}

void TTransferPanel::ShowForSending(bool queue) {
    ShowAs(TransferPanelMode::Sending, QStringLiteral("送信データ"),
           queue ? QRect(50, 184, 650, 0) : QRect(328, 184, 350, 0), kNavy);
    GroupBox2->show();
    ListBox2->clear();
}

void TTransferPanel::ShowForReceiving(int progressMaximum) {
    ShowAs(TransferPanelMode::Receiving, QStringLiteral("受信データ"), {24, 96, 650, 0}, kGreen);
    ListBox2->clear();
    Label17->hide();
    GroupBox2->show();
    ProgressBar1->setRange(0, progressMaximum);
}

void TTransferPanel::ShowForViewing() {
    ShowAs(TransferPanelMode::Viewing, QStringLiteral("ファイルビュー"), {328, 100, 350, 0}, kTeal);
    GroupBox2->show();
    GroupBox2->raise();
    Label17->hide();
}

void TTransferPanel::ShowForLog() {
    ShowAs(TransferPanelMode::Log, QStringLiteral("送受信ログ"), {328, 100, 350, 0}, kTeal);
    GroupBox2->show();
    Label17->hide();
}

void TTransferPanel::Hide() {
    mode_ = TransferPanelMode::Hidden;
    GroupBox2->hide();
}

void TTransferPanel::SetProgressRange(int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
}

void TTransferPanel::SetProgress(int position) {
    if (ProgressBar1->value() != position)
        ProgressBar1->setValue(position);
}

void TTransferPanel::ShowRemaining(const QString& text) {
    Label17->show();
    Label17->setText(text);
}

void TTransferPanel::SetQueue(const QStringList& names) {
    ListBox2->clear();
    ListBox2->addItems(names);
}

void TTransferPanel::HighlightQueueEntry(int index) {
    ListBox2->setCurrentRow(index);
}

void TTransferPanel::ListProgram(int index, const QString& line) {
    ListBox2->addItem(line);
    ListBox2->setCurrentRow(index);
    ListBox2->repaint();
}
