#include "platform/qt/QtText.h"

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QLineEdit>

namespace {

// The bytes a path field was shown from.
constexpr const char* kPathBytes = "pathBytes";

} // namespace

QString FromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString DecodedText(std::string_view bytes) {
    return FromUtf8(DecodeToUtf8(bytes));
}

QString ShownText(std::string_view pathBytes) {
    return FromUtf8(PathToText(pathBytes));
}

void ShowPathInField(QLineEdit* field, const std::string& path) {
    field->setProperty(kPathBytes, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    field->setText(ShownText(path));
}

std::string PathInField(const QLineEdit* field) {
    const QByteArray original = field->property(kPathBytes).toByteArray();
    return PathFromText(ToUtf8(field->text()),
                        std::string_view(original.constData(), size_t(original.size())));
}
