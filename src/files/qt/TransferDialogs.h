// The window side of copying and moving files: the question before an existing file
// is replaced (Yes, Yes to all, No, Cancel) and a progress dialog when more than a
// few files go, with a Cancel button.
#pragma once

#include "files/FileTransfer.h"

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

// Copies or moves sources into destDir, asking and showing progress on parent.
TransferOutcome TransferWithDialogs(QWidget* parent, const std::vector<std::string>& sources,
                                    const std::string& destDir, bool copy);

// The replace question itself: the one given to parent's window, else the modal box.
ReplaceAnswer AskReplace(QWidget* parent, const std::filesystem::path& existing);

// Answers whether an existing file is replaced.
class ReplaceQuestion {
public:
    virtual ~ReplaceQuestion() = default;
    virtual ReplaceAnswer Ask(QWidget* parent, const std::filesystem::path& existing) = 0;
};

// Replace questions asked on owner or on any widget inside it go to question;
// nullptr gives them back to the modal box. question outlives owner or is taken
// back first.
void SetReplaceQuestion(QWidget& owner, ReplaceQuestion* question);

// The text that names the files a copy, move or delete could not handle.
QString FailureText(const QString& heading, const std::vector<std::string>& failures);
