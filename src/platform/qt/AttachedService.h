// Stand-ins that a window or dialog and every widget inside it use in place of a
// default service (the message boxes, the replace question): set on the owner by
// whoever builds it, found from any widget below it. Nothing is process-wide, so
// two windows or dialogs side by side each keep their own.
#pragma once

class QObject;

// owner and its children use service under key; nullptr removes it. The service
// outlives owner or is removed first.
void AttachService(QObject& owner, const char* key, void* service);
// The service under key of from or of its nearest parent that has one; nullptr
// when none has.
void* FindAttachedService(const QObject* from, const char* key);
