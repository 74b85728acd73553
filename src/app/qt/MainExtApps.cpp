// The main window's side of the external applications: the table of
// OutApp_Sub.ini, the Alt legend GroupBox5 and the Alt menu, the editor, the
// Alt+letter and shell-open launches, and the three application dialogs.
#include "app/qt/Mainunit1.h"

#include "extapps/Launch.h"
#include "extapps/Placeholders.h"
#include "extapps/qt/Appopen.h"
#include "extapps/qt/Editapp.h"
#include "extapps/qt/Outapp.h"
#include "files/qt/FileListBox.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace {

const QString kSelectOneFile =
    QStringLiteral("ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)");

void ShowLaunchFailure(QWidget* parent, const LaunchOutcome& outcome) {
    if (!outcome.Started())
        ShowBox(parent, {BoxIcon::Stop,
                         BoxButtons::Ok,
                         QStringLiteral("エラー"),
                         ShownText(LaunchFailureText(outcome)),
                         {}});
}

// The full path of the current row when it is a file row; otherwise the refusal.
bool SelectedFilePath(TForm1& form, std::string& fullPath) {
    const int row = form.ListBox1->ItemIndex();
    if (!form.FileList.IsFileRow(row)) {
        ShowBox(&form, {BoxIcon::Stop, BoxButtons::Ok, QStringLiteral("確認"), kSelectOneFile, {}});
        return false;
    }
    fullPath = JoinPath(form.Settings.DirPath, form.FileList.EntryName(row));
    return true;
}

} // namespace

void TForm1::BuildAppDialogs() {
    Starter = &SystemProcessStarter();
    // The 26 items are never shown: they carry the Alt+letter shortcuts and the Tags
    // that the one click handler turns back into the letter.
    PopupMenu1 = new QMenu(this);
    for (int n = 0; n < 26; ++n) {
        QAction* item = PopupMenu1->addAction(QString());
        item->setObjectName(QStringLiteral("Menu_out") + QChar(u'a' + n));
        item->setData(n + 2);
        item->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_A + n)));
        item->setShortcutContext(Qt::WidgetShortcut);
        connect(item, &QAction::triggered, this,
                [this, item] { Menu_outaClick(item->data().toInt()); });
        Menu_out[static_cast<size_t>(n)] = item;
    }
    AppDialogHooks hooks;
    hooks.centre = [this](QWidget* dialog) { CentreDialog(dialog); };
    hooks.hideMainPanels = [this] {
        GroupBox1->hide();
        AltLegendShown = false;
    };
    hooks.launch = [this](const std::string& program, const std::string& arguments) {
        LaunchProgram(program, arguments);
    };
    AppopenForm = new TAppopenForm(AppTable, hooks, this);
    EditAppForm = new TEditAppForm(AppTable, hooks, this);
    OutAppForm = new TOutAppForm(hooks, this);
    for (QDialog* dialog : {static_cast<QDialog*>(AppopenForm), static_cast<QDialog*>(EditAppForm),
                            static_cast<QDialog*>(OutAppForm)}) {
        dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                               Qt::WindowCloseButtonHint);
        dialog->setModal(true);
    }
}

void TForm1::LoadAppTable() {
    ReadAppTable(AppTable, IniFile::Load(AppTablePath()));
}

bool TForm1::SaveAppTable(std::string* error) {
    IniFile ini = IniFile::Load(AppTablePath());
    WriteAppTable(AppTable, ini);
    return ini.Save(AppTablePath(), error);
}

void TForm1::ShowAppLegend() {
    if (AltLegendShown)
        return;
    GroupBox5->show();
    GroupBox5->raise();
    Label40->setText(ShownText(AppLegendLeft(AppTable)));
    Label41->setText(ShownText(AppLegendRight(AppTable)));
    AltLegendShown = true;
}

void TForm1::Menu_outaClick(int tag) {
    if (tag < 2 || tag > 27)
        return;
    LaunchAppByLetter(static_cast<char>('A' + tag - 2));
}

void TForm1::LaunchAppByLetter(char letter) {
    // The legend goes with its flag: a box or a dialog opened here takes the key
    // releases, and a flag left set would keep the next Alt from showing the legend.
    GroupBox5->hide();
    AltLegendShown = false;
    std::string fullPath;
    if (!SelectedFilePath(*this, fullPath))
        return;
    const AppBinding* app = AppTable.ForLetter(letter);
    if (!app)
        return;
    const LetterPlan plan = PlanLetterLaunch(*app, fullPath);
    switch (plan.step) {
    case LetterStep::Nothing:
        return;
    case LetterStep::Missing:
        ShowLaunchFailure(this, {plan.program, plan.error});
        return;
    case LetterStep::OpenBare:
        LaunchProgram(plan.program, std::string());
        return;
    case LetterStep::AskArgument:
        RememberWindowRect();
        OutAppForm->Prepare(app->name, app->command, plan.proposed);
        OutAppForm->exec();
        return;
    }
}

void TForm1::LaunchProgram(const std::string& program, const std::string& arguments) {
    ShowLaunchFailure(this, ::LaunchProgram(*Starter, program, arguments));
}

void TForm1::LaunchEditor() {
    std::string fullPath;
    if (SelectedFilePath(*this, fullPath))
        ShowLaunchFailure(this, LaunchEditorOn(*Starter, AppTable.EditApp, fullPath));
}

void TForm1::OpenAssociated() {
    const int row = ListBox1->ItemIndex();
    if (FileList.IsFileRow(row))
        LaunchProgram(JoinPath(Settings.DirPath, FileList.EntryName(row)), std::string());
}

void TForm1::OpenEditorSetup() {
    RememberWindowRect();
    GroupBox5->hide();
    EditAppForm->exec();
}

void TForm1::OpenAppList() {
    RememberWindowRect();
    GroupBox5->hide();
    AppopenForm->exec();
}
