// TForm1: the main window. It owns the settings record and the state shared by the
// commands; its controls are laid out by TForm1Controls (ui/Mainunit1Layout.cpp). Commands are
// methods named after the key table's commands, each in the unit of its feature.
#pragma once

#include "app/StartArguments.h"
#include "app/qt/MainWindowServices.h"
#include "extapps/AppTable.h"
#include "files/CommandLine.h"
#include "files/FileListModel.h"
#include "platform/HandOver.h"
#include "settings/Settings.h"
#include "transfer/qt/CommSettingsPanel.h"
#include "ui/Mainunit1Controls.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QRect>
#include <QUrl>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QTimer;
class TStatusPanels;
class DataView;
class FileListBox;
class HandOverService;
class TFolderCheck;
class TOptionForm;
class TPlusCopyForm;
class QAction;
class QMenu;
class ProcessStarter;
class TAppopenForm;
class TEditAppForm;
class TOutAppForm;
enum class RowRefusal;
class TBai2Form;
class TFileInfoForm;
class TFindForm;
class TRNameForm;
class TRNameAForm;
class TDividesForm;
class TPlusForm;

class TForm1 : public QWidget,
               public TForm1Controls,
               public CommPanelHost,
               public MainWindowServices {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Life of the window.
    void FormCreate(const std::vector<std::string>& args);
    void FormShow();
    void FormCloseQuery();
    void FirstIdleListing();
    void ReturnToIdle();
    // The one return to idle after a stop: the text in red, the list usable again
    // and the message line cleared a second later. Each stop keeps what it does
    // with the command line.
    void AbortToIdle(const QString& text = QStringLiteral("操作中止!!"));
    void RememberWindowRect();
    // Centres a dialog on the remembered main-window rectangle (integer halves).
    void CentreDialog(QWidget* dialog) const;

    // Legends and the message line.
    void ShowNormalLegend() override;
    void ShowShiftLegend();
    void SetMessage(const QString& text, const QColor& colour = Qt::green) override;
    void SetStatusPanel(int index, const QString& text) override;
    QString StatusPanel(int index) const;

    // The listing of the working directory (file list).
    void ListDirectory(bool keepPattern, bool keepSelection, bool resortOnly) override;
    // Label8 for a row of the list.
    void ShowRowDetails(int row);
    // Connects the list, the legends and the sort panel to their handlers.
    void BindFileList();

    // The command line, the file operations and the viewer (MainCommandLine.cpp,
    // MainFileOps.cpp, MainViewer.cpp).
    // Binds Edit1 and RichEdit1 to their key handlers.
    void BindFileCommands();
    void Edit1KeyPress(QChar& ch);
    void Edit1KeyDown(int& key);
    // F3 and Esc close the viewer and the log view; true when the key was taken.
    bool RichEdit1KeyDown(int key);
    // Loads DirPath + "/" + name into RichEdit1; the size, 4294967295 when unknown.
    std::uint64_t LoadFileIntoView(const std::string& name) override;
    // Loads the file for a command that works on it; false, after the box that says
    // the file cannot be read (gone, a FIFO, no permission), when it could not be.
    bool LoadFileForCommand(const std::string& name, std::uint64_t* size = nullptr);
    void CopyOrMove();
    void CompactMarks();
    // The marked files into ListBox2 (0), the join list JoinNames (1) or the copy/move
    // dialog (2); their rows are unmarked. The number collected.
    int CollectMarked(int target);
    // Empties the mark list and clears the multi-send flag.
    void ClearMarkList();
    // Copies or moves (by CopyFlag) the ";"-separated sources into destDir; false
    // when the operator cancelled.
    bool TransferFiles(const std::string& sources, const std::string& destDir);
    // Shows the join dialog for JoinNames (the join feature fills it in).
    void OpenJoinDialog();

    // The sort panel (GroupBox3).
    void Edit7KeyPress(QChar& ch);
    void Edit7KeyDown(int& key);
    void ListView1ColumnClick(int column);

    // Key and mouse handlers of the list and the legends (the dispatcher).
    void ListBox1KeyDown(int& key, bool shift);
    void ListBox1KeyPress(QChar ch);
    void ListBox1KeyUp(int& key, bool shift);
    void ListBox1Click();
    void ListBox1DblClick();
    void ListBox1MouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void Label1MouseDown(int x, int y);
    void Label16MouseDown(int x);
    void Label22MouseDown();
    void PressKey(int key) override;
    // Only the key-down of a key (the transfer loop sends the key-up when it stops).
    void PressKeyDown(int key);
    void ShowAppLegend();
    // Alt alone and Alt+letter: the application menu's keys, never the key table's.
    void ListBox1AltKeyDown(int& key);
    // Alt+A to Alt+Z: the application bound to the letter ('A' to 'Z').
    void LaunchAppByLetter(char letter);

    // Named commands of the key table.
    void SendSelected(bool shift);
    void ReceiveProgram(bool shift);
    void DeleteFiles();
    void MoveFiles();
    void CopyFiles();
    void JoinFiles();
    void ChangeDirectory();
    void BrowseDirectory();
    void ChangeMask();
    void OpenCommSettings();
    void ViewFile();
    void ShowTransferLog();
    void OpenAssociated();
    void SplitFile();
    void ExitProgram();
    void LaunchEditor();
    void FindFiles();
    void OpenEditorSetup();
    void DoubleAxis();
    void ShowFileInfo();
    void SelectDrive();
    void OpenOptions();
    void RenameFiles();
    void ChangeSort();
    void GoTop();
    void GoBottom();
    void OpenAppList();
    void RefreshList();
    void AbortOperation();
    void PageUpList();
    void PageDownList();
    void MarkFromCursor();
    void ClearMarks();
    void EnterRow();

    // The receive command: the save question, the named receive (Enter in
    // the command line) and the job.
    void BindSaveQuestion();
    void Edit16KeyDown(int key);
    void Label38MouseDown(int y);
    void ReceiveUnderName();
    void StartReceiveJob();

    // Transfers and the close (MainTransferClose.cpp). A close request while a job
    // runs stops the job by its stop path first; the window closes when it has ended.
    void RunTransfer(const std::function<void()>& job);
    // The job's own close after a completion (exit after transfer): its line is
    // already closed, so the window closes at once.
    void CloseAfterCompletion() override;
    bool TransferRunning = false;
    bool CloseAfterTransfer = false;

    // Hooks of start-up steps that belong to other features.
    void LoadDriveIcons();
    void StartFolderWatch();
    void AcceptDroppedFiles();
    void ClearFileEntries();
    // The floppy check of creation: a working directory on a floppy or a removable
    // volume that cannot be read is questioned.
    void CheckFloppy();
    // declined: the operator kept the file of that name; error: why the copy failed.
    bool ImportStartFile(const std::filesystem::path& from, const std::filesystem::path& to,
                         bool* declined = nullptr, std::string* error = nullptr);
    // Files handed over by a second start (MainHandOver.cpp): copied in as start
    // arguments are, then listed with the last of them current.
    void ListenForHandedFiles(const std::string& socketPath);
    std::vector<HandOverAnswer> TakeHandedFiles(const std::vector<std::string>& paths);
    HandOverService* HandOver = nullptr;
    // Lamps back to rest: DSR text red, CTS text " ○".
    void LampsToRest();
    // The port probe: open exclusively and close; false for modem ports and failures.
    bool PortUsable(int portNumber) override;

    // State shared by the commands.
    TSettings Settings;
    StartState Start;
    bool ExitAfterTransfer = false;
    std::string RelistFlag = "N";
    int MarkCapacity = 100;
    QRect RememberedRect;
    int LastAnswer = 0;
    bool AltLegendShown = false;
    FileListModel FileList;
    int CopyFlag = 1; // 1 copy, 0 move
    std::string TargetPath;
    std::string PendingDirectory;
    std::vector<std::string> JoinNames;
    TPlusCopyForm* PlusCopyForm = nullptr;
    // Receive: one file under the operator's name, or one file per program.
    bool NamedMode = false;
    std::string ReceiveTargetPath;
    std::string FileBeingReceived;
    bool SettingsSaveFailed = false;
    // Why Dravik.INI could not be read at start; the close then keeps the file as it is.
    std::string SettingsReadError;
    // Set when an error escaped an event handler: the close then saves nothing.
    bool SkipSettingsSave = false;

    // Legends set at show.
    QString NormalLegend;
    QString ShiftLegend;

    // The communication settings panel inside GroupBox1 (MainCommSettings.cpp), and
    // the dialogs.
    TCommSettingsPanel* CommPanel = nullptr;
    QWidget* PanelWindow() override;
    TSettings& PanelSettings() override;
    void RememberAnswer(int answer) override;
    void CommPanelShown() override;
    void CommPanelHidden() override;
    void CommSettingsStored() override;
    void CommSettingsLeft() override;
    void CloseWindow() override;
    TOptionForm* OptionForm = nullptr;

    // External applications (MainExtApps.cpp): the table of OutApp_Sub.ini, the Alt
    // legend and menu, the launches and the three application dialogs.
    void BuildAppDialogs();
    void LoadAppTable();
    // False with the reason when OutApp_Sub.ini could not be written.
    bool SaveAppTable(std::string* error);
    void Menu_outaClick(int tag);
    // Starts a program; one that cannot be started is named with the reason.
    void LaunchProgram(const std::string& program, const std::string& arguments);
    TAppTable AppTable;
    ProcessStarter* Starter = nullptr;
    QMenu* PopupMenu1 = nullptr;
    std::array<QAction*, 26> Menu_out{}; // Menu_outa to Menu_outz, Tags 2 to 27
    TAppopenForm* AppopenForm = nullptr;
    TEditAppForm* EditAppForm = nullptr;
    TOutAppForm* OutAppForm = nullptr;
    // The doubling dialog (MainDoubleAxis.cpp), made at its first use.
    TBai2Form* Bai2Form = nullptr;
    TBai2Form* DoublingForm();
    // File information, find and rename (app/qt/MainEntryTools.cpp): the dialogs are
    // made at their first use and live to the end; the wait between two marked files
    // of a rename goes through renamePause when a test sets it.
    TFileInfoForm* FileInfoForm();
    TFindForm* FindForm();
    TRNameForm* RNameForm();
    TRNameAForm* RNameAForm();
    std::function<void(int milliseconds)> renamePause;

    // The split and join dialogs, made at first use (app/qt/MainNcTools.cpp).
    TDividesForm* SplitForm();
    TPlusForm* JoinForm();
    TDividesForm* DividesForm = nullptr;
    TPlusForm* PlusForm = nullptr;
    // --- Drive menu, folder watch, drag and drop (MainDrives.cpp, MainDragDrop.cpp).
    // Rebuilds PopupMenu2 from the mounted volumes.
    void BuildDriveMenu();
    void SelectDriveItem(QAction* item);
    // Accepts or refuses a drag of rows at a point of the list (and shows Label3).
    bool ListBox1DragOver(int x, int y);
    void ListBox1DragDrop(int x, int y);
    // Files dropped from the desktop's file manager.
    void DropFromShell(const QList<QUrl>& urls);
    // Moves or copies a list of full paths (TransferFiles without the ";" list, so
    // a name holding ";" stays one name).
    bool TransferPathList(const std::vector<std::string>& sources, const std::string& destDir);
    // A command runs: the folder watch's listing waits for its end.
    bool CommandRunning() const;
    QMenu* PopupMenu2 = nullptr;
    std::vector<QIcon> ImageList1;
    TFolderCheck* FolderCheck = nullptr;

    // The services of a command's window side (Mainunit1.cpp).
    QWidget& Window() override { return *this; }
    TSettings& SettingsRecord() override { return Settings; }
    FileListModel& Listing() override { return FileList; }
    FileListBox& List() override { return *ListBox1; }
    DataView& View() override { return *RichEdit1; }
    TTransferPanel& Transfer() override { return *TransferPanel; }
    TCommandLinePanel& CommandEntry() override { return *CommandLine; }
    void StartReturnToIdle(int ms) override;
    void RequestRelist() override { RelistFlag = "Y"; }

    // Applies ListColumn: 1 to 4 columns at width 616 (help beside), 5 at 728.
    void ApplyListColumn();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TPlusCopyForm* CopyForm();
    // F5 and Shift+F5: Edit1 shows the path and goes back with its bytes.
    void PromptForDirectory(const std::string& startPath);
    void CheckEdit1Text();
    void CommandLineDone();
    void CopyUnderNewName();
    void ChangeToTypedDirectory();
    void ChangeToTypedMask();
    void CheckWorkingDirectory();
    void CheckPort(const std::string& port, const QString& prefix);
    // True when a transfer runs: the close waits for its stop.
    bool StopTransferForClose();
    // The refusal box of a command that needs a row; true when the command must not run.
    bool RefusedForRow(RowRefusal refusal);
    bool closing_ = false;
};
