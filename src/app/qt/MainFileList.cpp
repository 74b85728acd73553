// The main window's side of the file list: the listing shown in ListBox1, Label7
// and Label8, the binding of the list's and the legends' events to the handlers,
// and the sort panel's handlers.
#include "app/qt/Mainunit1.h"

#include "app/CommandTable.h"
#include "app/qt/VirtualKeys.h"
#include "files/FileSort.h"
#include "files/Listing.h"
#include "files/qt/FileListBox.h"
#include "files/qt/FolderCheck.h"
#include "files/qt/WidgetListingView.h"
#include "platform/TextCodec.h"
#include "platform/qt/QtText.h"
#include "ui/CommandLinePanel.h"
#include "ui/SortPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

namespace {

// Routes the clicks of the legends to the window's handlers.
class HandlerFilter : public QObject {
public:
    explicit HandlerFilter(TForm1& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (watched == form_.Label1)
                form_.Label1MouseDown(at.x(), at.y());
            else if (watched == form_.Label16)
                form_.Label16MouseDown(at.x());
        }
        return false;
    }

private:
    TForm1& form_;
};

// A key in the sort entry as its key-down and key-press handlers see it; true when
// they took it.
bool Edit7Key(TForm1& form, QKeyEvent* event) {
    int key = VirtualKeyFromQt(event->key());
    int before = key;
    form.Edit7KeyDown(key);
    if (before != 0 && key == 0)
        return true;
    QString text = event->text();
    if (text.isEmpty())
        return false;
    QChar ch = text[0];
    form.Edit7KeyPress(ch);
    if (ch.isNull())
        return true;
    if (ch == text[0])
        return false;
    form.SortPanel->InsertInEntry(ch); // shown in upper case
    return true;
}

const char* const kSortTexts[] = {"N-D", "N-U", "S-D", "S-U", "T-D", "T-U"};

} // namespace

void TForm1::BindFileList() {
    ListBox1->SetModel(&FileList);
    ListBox1->onKeyDown = [this](int& key, Qt::KeyboardModifiers modifiers) {
        int code = VirtualKeyFromQt(key);
        int before = code;
        // Alt and Alt+letter never reach the key table. Ctrl+Alt is AltGr on many
        // keyboards: a character, not an application's key.
        if (modifiers.testFlag(Qt::AltModifier) || key == Qt::Key_Alt) {
            if (!modifiers.testFlag(Qt::ControlModifier))
                ListBox1AltKeyDown(code);
            key = 0;
            return;
        }
        // Pressing Shift itself counts as Shift down, whatever the platform reports.
        bool shift = modifiers.testFlag(Qt::ShiftModifier) || key == Qt::Key_Shift;
        ListBox1KeyDown(code, shift);
        if (before != 0 && code == 0)
            key = 0;
    };
    ListBox1->onKeyPress = [this](QChar& ch) {
        QChar typed = ch;
        ch = QChar();
        ListBox1KeyPress(typed);
    };
    ListBox1->onKeyUp = [this](int& key, Qt::KeyboardModifiers modifiers) {
        // The release of Shift itself leaves Shift up.
        bool shift = modifiers.testFlag(Qt::ShiftModifier) && key != Qt::Key_Shift;
        int code = VirtualKeyFromQt(key);
        ListBox1KeyUp(code, shift);
        key = 0;
    };
    ListBox1->onClick = [this] { ListBox1Click(); };
    ListBox1->onDblClick = [this] { ListBox1DblClick(); };
    ListBox1->onMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                                   int y) {
        ListBox1MouseDown(button, modifiers.testFlag(Qt::ShiftModifier), x, y);
    };

    // Text that arrives without a key press (an input method) obeys the same rule.
    SortPanel->onEntryEdited = [this](const QString& text) {
        std::string kept;
        for (char c : text.toStdString())
            if (std::string_view("NST-UDnstud").find(c) != std::string_view::npos)
                kept += AsciiUpper(c);
        if (QString::fromStdString(kept) != text)
            SortPanel->SetEntryText(QString::fromStdString(kept));
    };
    SortPanel->onEntryKey = [this](QKeyEvent* event) { return Edit7Key(*this, event); };
    SortPanel->onLegendClick = [this] { Label22MouseDown(); };

    auto* filter = new HandlerFilter(*this);
    for (QObject* watched : {static_cast<QObject*>(Label1), static_cast<QObject*>(Label16)})
        watched->installEventFilter(filter);
}

void TForm1::ListDirectory(bool keepPattern, bool keepSelection, bool resortOnly) {
    // This listing reads every change made so far (the program's own copy or
    // reception among them): the folder watch drops what it had queued.
    const bool lists = !resortOnly && !FileList.listingRunning && !FileList.renameRunning;
    if (FolderCheck && lists)
        FolderCheck->OwnListingStarts();
    WidgetListingView view(ListBox1, Label7, Label8, [this] { StartFolderWatch(); });
    ::ListDirectory(FileList, Settings, view, keepPattern, keepSelection, resortOnly);
    if (FolderCheck && lists)
        FolderCheck->Follow(Settings.DirPath);
}

void TForm1::ClearFileEntries() {
    FileList.files.clear();
}

void TForm1::ShowRowDetails(int row) {
    Label8->setText(FromUtf8(RowDetailText(FileList, row)));
}

void TForm1::ChangeSort() {
    ListBox1->setEnabled(false);
    SortPanel->Open(FromUtf8("現ソート設定: " + Settings.FileSort + " - " + Settings.SortMuki),
                    FromUtf8(Settings.FileSort + "-" + Settings.SortMuki));
}

void TForm1::Edit7KeyPress(QChar& ch) {
    if (ch == QChar('\b'))
        return;
    if (ch == QChar('\r')) {
        ch = QChar();
        std::string text = AsciiUpper(SortPanel->EntryText().toStdString());
        if (text.empty())
            return;
        if (std::find(std::begin(kSortTexts), std::end(kSortTexts), text) == std::end(kSortTexts)) {
            SetMessage(QStringLiteral("ソート設定を確認ください!!"));
            SortPanel->FocusEntry();
            return;
        }
        Settings.FileSort = text.substr(0, 1);
        Settings.SortMuki = text.substr(2, 1);
        ListDirectory(false, true, true);
        SortPanel->Close();
        ListBox1->setEnabled(true);
        CommandLine->Enable(true);
        ListBox1->setFocus();
        SetStatusPanel(4, FromUtf8(Settings.Speed1));
        SetStatusPanel(5, FromUtf8(Settings.Port1));
        SetStatusPanel(6, QString());
        return;
    }
    char c = ch.unicode() < 0x80 ? static_cast<char>(ch.unicode()) : '\0';
    if (c == '\0' || std::string_view("NST-UDnstud").find(c) == std::string_view::npos)
        ch = QChar();
    else
        ch = QChar(AsciiUpper(c));
}

void TForm1::Edit7KeyDown(int& key) {
    if (key != vk::Escape)
        return;
    key = 0;
    SortPanel->ClearEntry();
    SortPanel->Close();
    AbortToIdle();
    CommandLine->Enable(true);
}

void TForm1::ListView1ColumnClick(int column) {
    // The column's key with the other direction. The rows are rebuilt as well, so
    // that every row still names the file entry at its index.
    static const char* const kKeys[] = {"N", "S", "T"};
    if (column < 0 || column > 2)
        return;
    Settings.FileSort = kKeys[column];
    Settings.SortMuki = Settings.SortMuki == "D" ? "U" : "D";
    ListDirectory(false, true, true);
}
