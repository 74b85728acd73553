#include "platform/qt/AttachedService.h"

#include <QObject>
#include <QVariant>

void AttachService(QObject& owner, const char* key, void* service) {
    // An invalid value removes the dynamic property altogether.
    owner.setProperty(key, service ? QVariant::fromValue(service) : QVariant());
}

void* FindAttachedService(const QObject* from, const char* key) {
    for (const QObject* object = from; object; object = object->parent()) {
        const QVariant value = object->property(key);
        if (value.isValid())
            return value.value<void*>();
    }
    return nullptr;
}
