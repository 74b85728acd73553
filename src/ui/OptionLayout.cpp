#include "ui/OptionLayout.h"

#include "platform/qt/ButtonKeys.h"
#include "ui/Fonts.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr const char* kYesNo = "YNyn";

const char* const kPageCaptions[] = {"通信全般", "受信", "送信", "その他"};

} // namespace

const std::vector<OptionField>& OptionFields() {
    static const std::vector<OptionField> fields = {
        {3, 0, 1, "ＤＲ信号を常にON(Y/N)", kYesNo, 1, 30, &TSettings::op1, nullptr, nullptr},
        {6, 0, 2, "DC3を0x93にする(Y/N)", kYesNo, 1, 30, &TSettings::DC30X93, nullptr, nullptr},
        {7, 0, 3, "o番号毎に分割時連番をつける(Y/N)", kYesNo, 1, 30, &TSettings::Add_No, nullptr,
         nullptr},
        {18, 0, 4, "ﾓﾃﾞﾑﾎﾟｰﾄ番号１(例:COM1)", "COMcom0123456789", 5, 50, &TSettings::ModemePort1,
         nullptr, nullptr},
        {19, 0, 5, "ﾓﾃﾞﾑﾎﾟｰﾄ番号２(例:COM12)", "COMcom0123456789", 5, 50, &TSettings::ModemePort2,
         nullptr, nullptr},
        {14, 0, 6, "自動ﾎﾟｰﾄ切替(Y/N)", kYesNo, 1, 30, &TSettings::AutoSelect, nullptr, nullptr},
        {10, 0, 7, "送受信完了後、ＰＣ電源断(Y/N)", kYesNo, 1, 30, &TSettings::Power_Off, nullptr,
         nullptr},
        {24, 0, 8, "DSR信号を併用する(Y/N)", kYesNo, 1, 30, &TSettings::op6, nullptr, nullptr},
        {1, 1, 1, "受信時Ｏ→：に変換(Y/N)", kYesNo, 1, 30, &TSettings::OChange, nullptr, nullptr},
        {23, 1, 2, "受信中止でもﾃﾞｰﾀ保存(Y/N)", kYesNo, 1, 30, &TSettings::op5, nullptr, nullptr},
        {12, 1, 3, "受信時、ﾜｰﾄﾞ毎にｽﾍﾟｰｽをつけない(Y/N)", kYesNo, 1, 30, &TSettings::Read_SP_Cut,
         nullptr, nullptr},
        {15, 1, 4, "受信 0:自動判別 1:ISO 2:EIA 3:ASCII", "0123", 1, 30, nullptr,
         &TSettings::R_Code, nullptr},
        {4, 2, 1, "ｳｪｲﾄﾀｲﾑ(msec)", "1234567890", 3, 50, nullptr, &TSettings::InvTime, nullptr},
        {13, 2, 2, "送信時、前処理(0-2)", "0123", 1, 30, nullptr, &TSettings::Send_Before,
         "(0:標準 1:ｽﾍﾟｰｽ 2:ﾀｲﾏｰ)"},
        {8, 2, 3, "ｽﾀｰﾄｷｬﾗﾀｲﾌﾟ(1-5)", "12345", 1, 30, nullptr, &TSettings::StartChar_Type,
         "(1:%+LF 2:%%+LF 3:% * 4:% 5:%%)"},
        {9, 2, 4, "ｴﾝﾄﾞｷｬﾗﾀｲﾌﾟ(1-4)", "1234", 1, 30, nullptr, &TSettings::EndChar_Type,
         "(1:% 2:%% 3:%+LF 4:%%+LF)"},
        {11, 2, 5, "送信時、ｽﾍﾟｰｽは送らない(Y/N)", kYesNo, 1, 30, &TSettings::Send_SP_Cut, nullptr,
         nullptr},
        {16, 2, 6, "送信時、送信しない文字列", "", 0, 137, &TSettings::SendMsg1, nullptr, nullptr},
        {17, 2, 7, "注釈(；か’)以降も送信(Y/N)", kYesNo, 1, 30, &TSettings::MSG_OP, nullptr,
         nullptr},
        {20, 2, 8, "ＮＣからの中止信号は無効(Y/N)", kYesNo, 1, 30, &TSettings::op2, nullptr,
         nullptr},
        {2, 3, 1, "ﾌｧｲﾙをすべて表示(Y/N)", kYesNo, 1, 30, &TSettings::ALLFiles, nullptr, nullptr},
        {5, 3, 2, "ﾌｧｲﾙ表示列数(1-5)", "12345", 1, 30, nullptr, &TSettings::ListColumn, nullptr},
        {21, 3, 3, "ﾘｽﾄ大文字表示 (Y/N)", kYesNo, 1, 30, &TSettings::op3, nullptr, nullptr},
        {22, 3, 4, "ﾛﾝｸﾞﾌｧｲﾙ名で表示(Y/N)", kYesNo, 1, 30, &TSettings::op4, nullptr, nullptr},
    };
    return fields;
}

void TOptionControls::SetupUi(QDialog* dialog) {
    dialog->setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(272, 411);
    dialog->setFont(GothicFont());

    PageControl1 = new QTabWidget(dialog);
    PageControl1->setGeometry(10, 10, 250, 360);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    std::array<QWidget*, 4> pages{};
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget;
        PageControl1->addTab(pages[i], QString::fromUtf8(kPageCaptions[i]));
    }
    for (const OptionField& f : OptionFields()) {
        const int top = 6 + (f.tag - 1) * 38;
        auto* label = new QLabel(QString::fromUtf8(f.label), pages[f.page]);
        label->setGeometry(8, top, 236, 16);
        auto* edit = new QLineEdit(pages[f.page]);
        edit->setGeometry(8, top + 16, f.width, 20);
        if (f.maxLength > 0)
            edit->setMaxLength(f.maxLength);
        edit->setProperty("Tag", f.tag);
        label->setBuddy(edit);
        if (f.hint) {
            auto* hint = new QLabel(QString::fromUtf8(f.hint), pages[f.page]);
            hint->setGeometry(8 + f.width + 8, top + 16, 236 - f.width - 8, 20);
            QPalette p = hint->palette();
            p.setColor(QPalette::WindowText, Qt::red);
            hint->setPalette(p);
        }
        edits[f.number] = edit;
        labels[f.number] = label;
    }

    Button1 = new QPushButton(QStringLiteral("変更"), dialog);
    Button1->setGeometry(110, 376, 65, 25);
    Button2 = new QPushButton(QStringLiteral("戻る"), dialog);
    Button2->setGeometry(190, 376, 65, 25);
    // The fields handle Enter themselves; it must not also press a button.
    PressOnEnter({Button1, Button2});
}
