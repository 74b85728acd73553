// Layout of the main window: every control at its place, size, colour and font.
#include "ui/Mainunit1Controls.h"

#include "files/qt/FileListBox.h"
#include "ui/CommandLinePanel.h"
#include "ui/LayoutParts.h"
#include "ui/SaveQuestion.h"
#include "ui/SortPanel.h"
#include "ui/StatusPanels.h"
#include "ui/TransferPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

const QColor kLime(0x00, 0xFF, 0x00);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kOlive(0x80, 0x80, 0x00);
const QColor kSilver(0xC0, 0xC0, 0xC0);

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

    CommandLine = new TCommandLinePanel(window);

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
    TransferPanel = new TTransferPanel(window, StatusBar2);
    RichEdit1 = TransferPanel->View();
    Label16 = TransferPanel->Legend();
    SortPanel = new TSortPanel(window);
    SaveQuestion = new TSaveQuestion(window);
    GroupBox5 = MakePanel(window, QString(), {16, 88, 515, 235}, Qt::black);

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
