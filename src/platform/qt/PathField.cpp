#include "platform/qt/PathField.h"

#include "platform/PathText.h"

#include <QLineEdit>

namespace {

constexpr const char* kPathBytes = "pathBytes";

} // namespace

void ShowPathInField(QLineEdit* field, const std::string& path) {
    field->setProperty(kPathBytes, QByteArray::fromStdString(path));
    field->setText(QString::fromStdString(PathToText(path)));
}

std::string PathInField(const QLineEdit* field) {
    const std::string original = field->property(kPathBytes).toByteArray().toStdString();
    const QByteArray text = field->text().toUtf8();
    return PathFromText(std::string_view(text.constData(), size_t(text.size())), original);
}
