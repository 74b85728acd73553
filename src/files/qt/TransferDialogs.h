// The window side of copying and moving files: the question before an existing file
// is replaced (Yes, Yes to all, No, Cancel) and a progress dialog when more than a
// few files go, with a Cancel button.
#pragma once

#include "files/FileTransfer.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

// Copies or moves sources into destDir, asking and showing progress on parent.
TransferOutcome TransferWithDialogs(QWidget* parent, const std::vector<std::string>& sources,
                                    const std::string& destDir, bool copy);

// The replace question itself.
ReplaceAnswer AskReplace(QWidget* parent, const std::filesystem::path& existing);

// Tests answer the replace question here instead of a modal dialog.
using ReplaceAnswerer = std::function<ReplaceAnswer(const std::filesystem::path& existing)>;
void SetReplaceAnswererForTest(ReplaceAnswerer answerer);

// The text that names the files a copy, move or delete could not handle.
QString FailureText(const QString& heading, const std::vector<std::string>& failures);
