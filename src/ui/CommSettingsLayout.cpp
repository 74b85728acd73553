#include "ui/CommSettingsLayout.h"

#include "ui/Fonts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

const char* const kSpeedCaption = "(速度,ﾃﾞｰﾀﾋﾞｯﾄ,ﾊﾟﾘﾃｨ,ｽﾄｯﾌﾟﾋﾞｯﾄ)";

class Builder {
public:
    explicit Builder(QWidget* box) : box_(box) {}

    QLabel* Label(const QRect& rect, const QString& text = {}) {
        auto* label = new QLabel(text, box_);
        label->setGeometry(rect);
        label->setFont(GothicFont());
        return label;
    }

    QComboBox* Combo(const QRect& rect) {
        auto* box = new QComboBox(box_);
        box->setGeometry(rect);
        box->setFont(GothicFont());
        box->setEditable(true);
        // The box's own completer and item insertion would fight the panel's
        // completion and Enter.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(16);
        return box;
    }

    QLineEdit* Edit(const QRect& rect, int maxLength) {
        auto* edit = new QLineEdit(box_);
        edit->setGeometry(rect);
        edit->setFont(GothicFont());
        edit->setMaxLength(maxLength);
        return edit;
    }

    QLineEdit* FlagRow(int top, const QString& caption) {
        Label({8, top, 340, 20}, caption);
        return Edit({356, top, 30, 20}, 1);
    }

    // The speed and port of one direction, from top down.
    struct Line {
        QComboBox** speed;
        QLabel** speedShown;
        QComboBox** port;
        QLabel** portShown;
        QLabel** device;
    };
    void LineBlock(int top, const QString& title, const QString& portCaption, const Line& line) {
        Label({8, top, 80, 16}, title);
        Label({92, top, 300, 16}, QString::fromUtf8(kSpeedCaption));
        *line.speed = Combo({8, top + 18, 118, 20});
        *line.speedShown = Label({134, top + 18, 258, 20});
        Label({8, top + 42, 90, 20}, portCaption);
        *line.port = Combo({100, top + 42, 72, 20});
        *line.portShown = Label({180, top + 42, 212, 20});
        *line.device = Label({100, top + 62, 292, 18});
    }

private:
    QWidget* box_;
};

} // namespace

CommPanelControls BuildCommPanelLayout(QWidget* box) {
    Builder make(box);
    CommPanelControls c;
    make.LineBlock(18, QStringLiteral("送信通信条件"), QStringLiteral("送信ポート番号"),
                   {&c.ComboBox1, &c.Label12, &c.ComboBox2, &c.Label13, &c.Label13Device});

    c.Edit4 = make.FlagRow(100, QStringLiteral("送信開始をＮＣ機側で行う                   (Y/N)"));
    c.Edit6 = make.FlagRow(122, QStringLiteral("送受信時、頭に％をつける                （Y/N）"));
    c.Edit5 = make.FlagRow(144, QStringLiteral("送受信時、後に％をつける                  (Y/N)"));
    c.Edit8 = make.FlagRow(166, QStringLiteral("送信コードＥＩＡ (Y/N)"));
    c.Edit9 = make.FlagRow(188, QStringLiteral("テープパンチャーに出力"));

    make.Label({8, 212, 160, 16}, QStringLiteral("テープ出力時のフィード長さ"));
    make.Label({24, 232, 56, 20}, QStringLiteral("前後長さ"));
    c.Edit10 = make.Edit({84, 232, 30, 20}, 2);
    make.Label({118, 232, 16, 20}, QStringLiteral("㎜"));
    make.Label({160, 232, 56, 20}, QStringLiteral("Ｏ番号間"));
    c.Edit11 = make.Edit({220, 232, 30, 20}, 2);
    make.Label({254, 232, 16, 20}, QStringLiteral("㎜"));

    make.LineBlock(262, QStringLiteral("受信通信条件"), QStringLiteral("受信ポート番号"),
                   {&c.ComboBox3, &c.Label24, &c.ComboBox4, &c.Label26, &c.Label26Device});

    c.Edit14 =
        make.FlagRow(344, QStringLiteral("受信開始をＮＣ機側で行う                   (Y/N)"));
    c.Edit15 = make.FlagRow(366, QStringLiteral("テープリーダから読み込み"));

    // Eight pixels a column, so that the click ranges fall on the key texts.
    c.Label14 = make.Label({0, 420, 400, 20},
                           QStringLiteral("                       F1 :保存     F2 :戻る"));
    c.Label14->setFont(GothicFont(16));
    c.Label14->setCursor(Qt::PointingHandCursor);
    return c;
}
