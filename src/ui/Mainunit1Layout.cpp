// Layout of the main window: every control at its place, size, colour and font.
#include "ui/Mainunit1Controls.h"

#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "ui/SaveQuestionLabel.h"
#include "ui/StatusPanels.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

namespace {

const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kOlive(0x80, 0x80, 0x00);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kSilver(0xC0, 0xC0, 0xC0);

void Colour(QWidget* w, const QColor& text, const QColor& background) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Base, background);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const QRect& r, const QColor& text,
                  const QString& caption = {}) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(r);
    label->setFont(GothicFont());
    Colour(label, text, Qt::black);
    return label;
}

QGroupBox* MakePanel(QWidget* parent, const QString& caption, const QRect& r,
                     const QColor& colour) {
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(r);
    box->setFont(GothicFont());
    Colour(box, Qt::white, colour);
    box->hide();
    return box;
}

// The transfer panel is narrowed to 350 and widened to 650 by the modes that show
// it: the data view and the legend follow its width, so that the view's vertical
// scroll bar and the right part of every line stay inside the panel.
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

QFont GothicFont(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont MinchoFont(int pixelSize) {
    QFont font(QStringLiteral("IPAMincho"));
    font.setPixelSize(pixelSize);
    font.setStyleHint(QFont::Serif);
    return font;
}

void TForm1Controls::SetupUi(QWidget* window) {
    window->setWindowTitle(QStringLiteral("Dravik(Win98/Me/2000/XP)"));
    window->setFixedSize(728, 518);
    window->setFont(GothicFont());
    Colour(window, Qt::white, Qt::black);

    Label4 = MakeLabel(window, {0, 0, 728, 35}, Qt::yellow,
                       QStringLiteral("　　　　ＰＣ←→ＮＣ機ファイル通信 Ver3.15　　　　"));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setFont(GothicFont(16));
    Label4->setToolTip(QStringLiteral("パソコン←→ＮＣファイル転送が行えます。"));

    auto lamp = [window](int left, const QString& caption, const QString& text, QLabel** label) {
        *label = MakeLabel(window, {left, 2, 28, 13}, Qt::white, caption);
        (*label)->setFont(GothicFont(10));
        auto* edit = new QLineEdit(text, window);
        edit->setGeometry(left, 15, 26, 18);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFont(GothicFont());
        edit->setFrame(false);
        Colour(edit, Qt::red, Qt::black);
        return edit;
    };
    LabeledEdit1 = lamp(670, QStringLiteral("DSR"), QStringLiteral(" ●"), &LabeledEdit1Label);
    LabeledEdit2 = lamp(700, QStringLiteral("CTS"), QStringLiteral(" ○"), &LabeledEdit2Label);

    Label7 = MakeLabel(window, {0, 35, 728, 16}, Qt::white,
                       QStringLiteral(" ﾌｧｲﾙ・ﾃﾞｨﾚｸﾄﾘ [                            ]"));
    Label7->setToolTip(QStringLiteral("設定フォルダーの状態を表示します。"));
    Label8 = MakeLabel(window, {0, 51, 728, 16}, kLime);
    Label8->setFont(MinchoFont());

    ListBox1 = new FileListBox(window);
    ListBox1->setGeometry(0, 69, 616, 338);
    ListBox1->setToolTip(QStringLiteral("ファイルを選択してください。"));

    Label2 = MakeLabel(window, {616, 69, 112, 340}, kSilver);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label11 = MakeLabel(window, {0, 407, 305, 22}, kLime);
    Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Edit1 = new QLineEdit(window);
    Edit1->setGeometry(304, 407, 425, 22);
    Edit1->setFont(GothicFont());
    Colour(Edit1, Qt::white, Qt::black);
    Edit1->setEnabled(false);

    Label3 = MakeLabel(window, {0, 428, 728, 16}, Qt::white);
    Label6 = MakeLabel(window, {0, 444, 728, 16}, kFuchsia);
    Label6->setToolTip(QStringLiteral("各操作を中止する際はＥｓｃを押してください。"));
    Label1 = MakeLabel(window, {0, 460, 728, 32}, Qt::white);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Half-width characters of 8 pixels put the legend's five fields at the click
    // columns 0, 145, 280, 415 and 550.
    Label1->setFont(GothicFont(16));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(QStringLiteral("対応するファンクションキーを押してください。"));

    StatusBar2 = new TStatusPanels(window);
    StatusBar2->setGeometry(0, 494, 728, 24);
    StatusBar2->setFont(GothicFont());
    StatusBar2->setToolTip(QStringLiteral("送受信の設定を表示します。"));

    GroupBox1 = MakePanel(window, QStringLiteral("通信設定"), {300, 40, 400, 450}, kOlive);
    GroupBox1->setToolTip(QStringLiteral("通信設定が行えます。"));
    GroupBox2 = MakePanel(window, QStringLiteral("受信データ"), {24, 96, 650, 289}, kTeal);
    GroupBox3 = MakePanel(window, QStringLiteral("ソートタイプ"), {120, 248, 201, 170}, Qt::black);
    GroupBox4 = MakePanel(window, QStringLiteral("データ保存"), {328, 370, 250, 80}, kGreen);
    GroupBox5 = MakePanel(window, QString(), {16, 88, 515, 235}, Qt::black);

    RichEdit1 = new DataView(GroupBox2);
    RichEdit1->setGeometry(8, 20, 634, 220);
    Label17 = MakeLabel(GroupBox2, {8, 244, 300, 18}, Qt::white);
    Label16 = MakeLabel(GroupBox2, {8, 264, 400, 18}, Qt::white,
                        QStringLiteral("                         F3 :中止(Esc)"));
    Label16->setAutoFillBackground(false);
    // Label1's fixed-pitch face and size: half-width characters of 8 pixels put
    // "F3 :中止(Esc)" inside the click zone x 220 to 340.
    Label16->setFont(GothicFont(16));
    ListBox2 = new QListWidget(GroupBox2);
    ListBox2->setGeometry(420, 244, 222, 40);
    ListBox2->setFont(GothicFont());
    ListBox2->setFocusPolicy(Qt::NoFocus);
    new TransferPanelFit(GroupBox2, RichEdit1, Label16);

    SetupSortPanel();
    SetupSaveQuestion();

    Label40 = MakeLabel(GroupBox5, {8, 8, 250, 220}, Qt::white);
    Label41 = MakeLabel(GroupBox5, {260, 8, 250, 220}, Qt::white);
    Label40->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label41->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Timer1 = new QTimer(window);
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(window);
    Timer2->setInterval(10000);
}

void TForm1Controls::SetupSortPanel() {
    Label21 = new QLabel(GroupBox3);
    Label21->setGeometry(10, 24, 181, 18);
    Edit7 = new QLineEdit(GroupBox3);
    Edit7->setGeometry(10, 48, 60, 22);
    Edit7->setMaxLength(3);
    auto* help =
        new QLabel(QStringLiteral("N:名前 S:ｻｲｽﾞ T:日付\nD:昇順 U:降順\n例 N-D"), GroupBox3);
    help->setGeometry(10, 76, 181, 54);
    Label22 = new QLabel(QStringLiteral(" ESC:中止"), GroupBox3);
    Label22->setGeometry(10, 140, 181, 18);
    Label22->setCursor(Qt::PointingHandCursor);
    for (QWidget* w : {static_cast<QWidget*>(Label21), static_cast<QWidget*>(Edit7),
                       static_cast<QWidget*>(help), static_cast<QWidget*>(Label22)})
        w->setFont(GothicFont());
}

void TForm1Controls::SetupSaveQuestion() {
    Label38 = new TSaveQuestionLabel(GroupBox4);
    Label38->setGeometry(6, 16, 192, 3 * TSaveQuestionLabel::kRowHeight);
    Label38->setFont(GothicFont());
    Edit16 = new QLineEdit(GroupBox4);
    Edit16->setGeometry(206, 34, 30, 20);
    Edit16->setFont(GothicFont());
    Edit16->setMaxLength(1);
}
