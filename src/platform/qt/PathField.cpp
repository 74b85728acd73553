#include "platform/qt/PathField.h"

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QLineEdit>
#include <QVariant>

namespace {

constexpr const char* kBytes = "dravikPathBytes";
constexpr const char* kShown = "dravikPathShown";

} // namespace

void SetPathText(QLineEdit* edit, std::string_view bytes) {
    std::string utf8 = DecodeToUtf8(bytes);
    QString shown = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    edit->setProperty(kBytes, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    edit->setProperty(kShown, shown);
    edit->setText(shown);
}

std::string PathTextBytes(const QLineEdit* edit) {
    QByteArray bytes = edit->property(kBytes).toByteArray();
    if (edit->property(kShown).toString() == edit->text())
        return bytes.toStdString();
    std::string utf8 = edit->text().toStdString();
    return IsValidUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))
               ? utf8
               : Utf8ToCp932(utf8);
}
