#pragma once
// Opening a document with the desktop's own program, without waiting for it.
#include <QString>

#include <functional>

class QObject;

namespace pixolane::ui {

// Hands `path` to the desktop's opener and returns at once: false when no
// opener could be started. A desktop that answers later that it cannot open
// the document (no program for it) has `failed` called on this thread, as
// long as `context` lives.
bool openWithDesktop(const QString& path, QObject* context, std::function<void()> failed);

}  // namespace pixolane::ui
