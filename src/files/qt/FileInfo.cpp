#include "files/qt/FileInfo.h"

#include "files/RowFormat.h"
#include "files/qt/Rname.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/FieldRule.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStyle>

#include <cstring>
#include <filesystem>

namespace {

const QString kIndent = QStringLiteral(" :　　　");

QString PathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QString ReasonText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

FileType DescribeFile(const std::string& path) {
    QMimeDatabase db;
    QFileInfo file(PathText(path));
    QMimeType byName = db.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
    // Only a regular file is read: opening a FIFO would wait for a writer.
    std::error_code ec;
    QMimeType byContent = std::filesystem::is_regular_file(path, ec)
                              ? db.mimeTypeForFile(file, QMimeDatabase::MatchContent)
                              : byName;
    // An extension the database gives a binary format while the content is text
    // (an NC program named *.nc is no NetCDF file) says nothing about the file.
    const QString text = QStringLiteral("text/plain");
    bool nameFits = byName.isValid() && !byName.isDefault() && !byName.comment().isEmpty() &&
                    !(byContent.inherits(text) && !byName.inherits(text));
    if (nameFits)
        return {byName.comment(), byName};
    const std::string name = std::filesystem::path(path).filename().native();
    std::string_view extension = ExtensionOf(name);
    if (extension.empty())
        return {QStringLiteral("ﾌｧｲﾙ"), byContent};
    return {ShownText(extension.substr(1)) + QStringLiteral(" ﾌｧｲﾙ"), byContent};
}

TFileInfoForm::TFileInfoForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾌｧｲﾙ情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(360, 300);
    Image1 = new QLabel(this);
    Image1->setGeometry(16, 12, 32, 32);
    Label1 = new QLabel(this);
    Label1->setGeometry(64, 20, 280, 18);
    Label2 = new QLabel(this);
    Label2->setGeometry(16, 56, 330, 18);
    Label3 = new QLabel(this);
    Label3->setGeometry(16, 78, 330, 18);
    Label4 = new QLabel(this);
    Label4->setGeometry(16, 100, 330, 18);
    CheckBox1 = new QCheckBox(QStringLiteral("読み取り専用"), this);
    CheckBox1->setGeometry(16, 130, 150, 20);
    CheckBox2 = new QCheckBox(QStringLiteral("アーカイブ"), this);
    CheckBox2->setGeometry(180, 130, 150, 20);
    CheckBox3 = new QCheckBox(QStringLiteral("隠しファイル"), this);
    CheckBox3->setGeometry(16, 154, 150, 20);
    CheckBox4 = new QCheckBox(QStringLiteral("システム"), this);
    CheckBox4->setGeometry(180, 154, 150, 20);
    // Hidden is the leading "." of the name; archive and system do not exist here.
    for (QCheckBox* box : {CheckBox2, CheckBox3, CheckBox4})
        box->setEnabled(false);
    auto* dateLabel = new QLabel(QStringLiteral("更新日時"), this);
    dateLabel->setGeometry(16, 186, 100, 18);
    const int lefts[] = {16, 70, 106, 160, 196, 232};
    const int widths[] = {48, 30, 30, 30, 30, 30};
    for (int i = 0; i < kDateFieldCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setGeometry(lefts[i], 208, widths[i], 24);
        edit->setProperty("Tag", i + 1);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &TFileInfoForm::Edit1Change);
        QLineEdit** slot[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6};
        *slot[i] = edit;
    }
    Edit1->setMaxLength(4);
    Edit2->setMaxLength(2);
    Edit3->setMaxLength(2);
    Button1 = new QPushButton(QStringLiteral("更新"), this);
    Button1->setGeometry(90, 258, 80, 28);
    Button2 = new QPushButton(QStringLiteral("終了"), this);
    Button2->setGeometry(190, 258, 80, 28);
    // The date fields handle Enter themselves.
    PressOnEnter({Button1, Button2});
    connect(CheckBox1, &QCheckBox::clicked, this, &TFileInfoForm::CheckBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TFileInfoForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFileInfoForm::Button2Click);
}

std::array<QLineEdit*, kDateFieldCount> TFileInfoForm::Fields() const {
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6};
}

DateFields TFileInfoForm::FieldTexts() const {
    DateFields texts;
    for (int i = 0; i < kDateFieldCount; ++i)
        texts[static_cast<size_t>(i)] = Fields()[static_cast<size_t>(i)]->text().toStdString();
    return texts;
}

void TFileInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFileInfoForm::ShowTypeAndIcon(const std::string& path) {
    FileType type = DescribeFile(path);
    QIcon icon =
        QIcon::fromTheme(type.mime.iconName(), QIcon::fromTheme(type.mime.genericIconName()));
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileInfo(PathText(path)));
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_FileIcon);
    Image1->setPixmap(icon.pixmap(32, 32));
    Label2->setText(QStringLiteral("種類") + kIndent + type.name);
}

void TFileInfoForm::FormShow() {
    CentreOnRect(this, CentreRect);
    filling_ = true;
    const std::string path = JoinPath(DirPath, EntryName);
    Label1->setText(ShownText(EntryName));
    EntryInfo info = ReadEntryInfo(path);
    if (info.isFolder) {
        Image1->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32));
        Label2->setText(QStringLiteral("種類") + kIndent + QStringLiteral("ﾌｧｲﾙ ﾌｫﾙﾀﾞ"));
        Label4->setText(FromUtf8(std::string(kFolderSizeLine)));
    } else {
        ShowTypeAndIcon(path);
        Label4->setText(FromUtf8(InfoSizeLine(static_cast<std::uint32_t>(info.size))));
    }
    Label3->setText(QStringLiteral("場所") + kIndent + ShownText(JoinPath(DirPath, "")));
    CheckBox1->setChecked(info.readOnly);
    CheckBox2->setChecked(false);
    CheckBox3->setChecked(info.hidden);
    CheckBox4->setChecked(false);
    DateFields fields = SplitLocalTime(info.modified);
    for (int i = 0; i < kDateFieldCount; ++i)
        Fields()[static_cast<size_t>(i)]->setText(FromUtf8(fields[static_cast<size_t>(i)]));
    filling_ = false;
    Button1->setEnabled(false);
    Edit1->setFocus();
}

void TFileInfoForm::Edit1Change() {
    if (!filling_)
        Button1->setEnabled(true);
}

void TFileInfoForm::CheckBox1Click() {
    Button1->setEnabled(true);
}

bool TFileInfoForm::CheckField(int index) {
    QLineEdit* edit = Fields()[static_cast<size_t>(index)];
    std::string message = CheckDateField(static_cast<DateField>(index), edit->text().toStdString());
    if (message.empty())
        return true;
    ShowRefusal(this, FromUtf8(message));
    edit->setFocus();
    return false;
}

void TFileInfoForm::Edit1KeyPress(QLineEdit* edit, QChar& ch) {
    if (ch == u'\b')
        return;
    if (ch != u'\r') {
        if (ch < u'0' || ch > u'9')
            ch = QChar(0);
        return;
    }
    ch = QChar(0);
    const int index = edit->property("Tag").toInt() - 1;
    if (edit->text().isEmpty() || !CheckField(index))
        return;
    if (index + 1 < kDateFieldCount)
        Fields()[static_cast<size_t>(index + 1)]->setFocus();
    else if (Button1->isEnabled())
        Button1->setFocus();
    else
        Button2->setFocus();
}

bool TFileInfoForm::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::KeyPress) {
        QChar ch = TypedCharacter(static_cast<QKeyEvent*>(event));
        // Keys without a character (arrows, Delete) keep their meaning.
        if (ch.isNull() || (ch.unicode() < 0x20 && ch != u'\r'))
            return false;
        Edit1KeyPress(edit, ch);
        return ch.isNull();
    }
    return QDialog::eventFilter(watched, event);
}

void TFileInfoForm::Button1Click() {
    for (int i = 0; i < kDateFieldCount; ++i) {
        if (!CheckField(i))
            return;
    }
    DateFields fields = FieldTexts();
    std::optional<std::time_t> time = ComposeLocalTime(fields);
    if (!time) {
        ShowRefusal(this, FromUtf8(InvalidDateMessage(fields)));
        Edit3->setFocus();
        return;
    }
    ApplyOutcome outcome =
        ApplyEntryInfo(JoinPath(DirPath, EntryName), *time, CheckBox1->isChecked());
    // A refusal leaves the dialog open, so that nothing refused looks done.
    if (outcome.timeError != 0) {
        ShowFailure(this, ShownText(EntryName) + QStringLiteral("の日付を変更できません。\n") +
                              ReasonText(outcome.timeError));
        Edit1->setFocus();
        return;
    }
    if (outcome.timeSet && relist)
        relist();
    if (outcome.attributeError != 0) {
        ShowFailure(this, ShownText(EntryName) + QStringLiteral("の属性を変更できません。\n") +
                              ReasonText(outcome.attributeError));
        CheckBox1->setFocus();
        return;
    }
    if (!outcome.timeSet && relist)
        relist();
    accept();
}

void TFileInfoForm::Button2Click() {
    reject();
}
