#include "extapps/qt/Appopen.h"

#include "extapps/AppTable.h"
#include "extapps/qt/ProgramChooser.h"
#include "files/qt/TransferDialogs.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/LabeledEdit.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

enum Column { kCaption, kName, kFlag, kCommand };

// The bytes of the name and the template ride with their columns.
constexpr int kBytesRole = Qt::UserRole;

void SetColumn(QTreeWidgetItem* item, int column, const std::string& bytes) {
    item->setText(column, ShownText(bytes));
    item->setData(column, kBytesRole, QByteArray::fromStdString(bytes));
}

std::string ColumnBytes(const QTreeWidgetItem* item, int column) {
    return item->data(column, kBytesRole).toByteArray().toStdString();
}

QString RowCaption(int row) {
    return QStringLiteral("Alt+") + QChar(u'A' + row);
}

} // namespace

TAppopenForm::TAppopenForm(TAppTable& table, AppDialogHooks hooks, QWidget* parent)
    : QDialog(parent), table_(table), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("外部コマンド設定"));
    setFixedSize(600, 470);
    ListView1 = new QTreeWidget(this);
    ListView1->setGeometry(8, 8, 584, 260);
    ListView1->setColumnCount(4);
    ListView1->setHeaderLabels({QStringLiteral("ｺﾏﾝﾄﾞ文字"), QStringLiteral("設定名"),
                                QStringLiteral("引数使用"), QStringLiteral("ｺﾏﾝﾄﾞｱﾌﾟﾘｹｰｼｮﾝ")});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setColumnWidth(kCaption, 80);
    ListView1->setColumnWidth(kName, 150);
    ListView1->setColumnWidth(kFlag, 64);
    // The selection stays visible while the edit fields have the focus.
    QPalette p = ListView1->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    ListView1->setPalette(p);

    Label1 = new QLabel(this);
    Label1->setGeometry(8, 278, 80, 18);
    LabeledEdit1 =
        MakeLabeledEdit(this, QStringLiteral("設定名"), {96, 296, 220, 22}, &LabeledEdit1Label);
    CheckBox1 = new QCheckBox(QStringLiteral("引数使用"), this);
    CheckBox1->setGeometry(332, 296, 120, 22);
    LabeledEdit2 = MakeLabeledEdit(this, QStringLiteral("ｺﾏﾝﾄﾞｱﾌﾟﾘｹｰｼｮﾝ "), {96, 344, 460, 22},
                                   &LabeledEdit2Label);
    BitBtn1 = new QPushButton(QStringLiteral("..."), this);
    BitBtn1->setGeometry(562, 343, 30, 24);
    Button1 = new QPushButton(this);
    Button1->setGeometry(8, 380, 80, 44);
    Label2 = new QLabel(this);
    Label2->setGeometry(96, 376, 300, 72);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Button2 = new QPushButton(QStringLiteral("終了"), this);
    Button2->setGeometry(512, 436, 80, 26);
    // The edit fields take Enter as typed text would; no button is pressed by it.
    PressOnEnter({BitBtn1, Button1, Button2});

    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1, &QTreeWidget::currentItemChanged, this, [this] { LoadEditFields(); });
    connect(BitBtn1, &QPushButton::clicked, this, &TAppopenForm::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &TAppopenForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
}

void TAppopenForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TAppopenForm::FormShow() {
    if (hooks_.centre)
        hooks_.centre(this);
    if (hooks_.hideMainPanels)
        hooks_.hideMainPanels();
    ListView1->blockSignals(true);
    ListView1->clear();
    for (int row = 0; row < 26; ++row) {
        auto* item = new QTreeWidgetItem(ListView1);
        item->setText(kCaption, RowCaption(row));
        FillRow(row);
    }
    ListView1->blockSignals(false);
    ListView1->setFocus();
    SelectRow(0);
    LoadEditFields();
    Button1->setText(QStringLiteral("変更\n追加"));
    Label2->setText(QStringLiteral("$A:ﾌﾙﾊﾟｽ\n$B:ﾌﾙﾊﾟｽ(拡張子無)\n$C:ﾌｧｲﾙ名のみ\n"
                                   "$D:ﾌｧｲﾙ名のみ(拡張子無)"));
}

void TAppopenForm::FillRow(int row) {
    const AppBinding& app = table_.apps[static_cast<size_t>(row)];
    QTreeWidgetItem* item = ListView1->topLevelItem(row);
    SetColumn(item, kName, app.name);
    item->setText(kFlag, QString::fromStdString(app.flag));
    SetColumn(item, kCommand, app.command);
}

int TAppopenForm::SelectedRow() const {
    QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? -1 : ListView1->indexOfTopLevelItem(selected.front());
}

void TAppopenForm::SelectRow(int row) {
    QTreeWidgetItem* item = ListView1->topLevelItem(row);
    if (!item)
        return;
    ListView1->setCurrentItem(item);
    item->setSelected(true);
    ListView1->scrollToItem(item);
}

bool TAppopenForm::eventFilter(QObject* watched, QEvent* event) {
    const bool list = watched == ListView1 || watched == ListView1->viewport();
    if (list &&
        (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease)) {
        LoadEditFields();
    }
    return QDialog::eventFilter(watched, event);
}

void TAppopenForm::LoadEditFields() {
    CheckBox1->setChecked(false);
    int row = SelectedRow();
    if (row < 0)
        return;
    QTreeWidgetItem* item = ListView1->topLevelItem(row);
    Label1->setText(item->text(kCaption));
    ShowPathInField(LabeledEdit1, ColumnBytes(item, kName));
    CheckBox1->setChecked(item->text(kFlag) == QStringLiteral("Y"));
    ShowPathInField(LabeledEdit2, ColumnBytes(item, kCommand));
}

void TAppopenForm::BitBtn1Click() {
    int row = SelectedRow();
    std::string chosen = ChooseProgram(hooks_, this);
    if (!chosen.empty())
        ShowPathInField(LabeledEdit2, chosen);
    ListView1->setFocus();
    SelectRow(row);
}

void TAppopenForm::Button1Click() {
    int row = SelectedRow();
    if (row < 0)
        return;
    AppBinding& app = table_.apps[static_cast<size_t>(row)];
    app.name = PathInField(LabeledEdit1);
    app.flag = CheckBox1->isChecked() ? "Y" : "N";
    app.command = PathInField(LabeledEdit2);
    FillRow(row);
    ListView1->viewport()->update();
}
