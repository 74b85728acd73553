// TFileInfoForm: one file or folder of the list: icon, name, type, location, size,
// attributes and last-change time; the operator may change the read-only attribute
// and the time stamp. The type and icon come from the desktop's MIME database.
#pragma once

#include "files/EntryInfo.h"

#include <QDialog>
#include <QMimeType>
#include <QRect>
#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFileInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TFileInfoForm(QWidget* parent = nullptr);

    // Set before every showing: the working directory, the entry's name (bytes) and
    // the main window's remembered rectangle, on which the dialog centres.
    std::string DirPath;
    std::string EntryName;
    QRect CentreRect;
    // Lists the working directory again, keeping the entry current.
    std::function<void()> relist;

    void FormShow();
    // The key press of the six date fields; may set ch to 0 (the key is dropped).
    void Edit1KeyPress(QLineEdit* edit, QChar& ch);
    void Edit1Change();
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLineEdit*, kDateFieldCount> Fields() const;
    DateFields FieldTexts() const;
    // The field's message box and the focus back to it; false when it broke its limit.
    bool CheckField(int index);
    void ShowTypeAndIcon(const std::string& path);
    bool filling_ = false;
};

// The type of a file: the MIME type's comment in the user's language, or the
// extension without its dot + " ﾌｧｲﾙ" for an extension the database does not know.
struct FileType {
    QString name;
    QMimeType mime; // for the icon
};
FileType DescribeFile(const std::string& path);
