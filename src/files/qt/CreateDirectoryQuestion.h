// The question before a missing destination folder is created, and its creation.
#pragma once

#include <QString>

#include <string>

class QWidget;

enum class CreateDirectoryOutcome { Declined, Created, Failed };

// The question's usual text.
QString MissingDirectoryQuestion();

// Asks at the corner of window whether path is to be created and creates it with
// every missing level; a folder that cannot be made is named with the reason.
// answer, when given, receives the box's answer.
CreateDirectoryOutcome AskCreateDirectory(QWidget* window, const std::string& path,
                                          const QString& question = MissingDirectoryQuestion(),
                                          int* answer = nullptr);
