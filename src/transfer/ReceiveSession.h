// The text side of a reception: decoded characters in, program files out. It
// assembles and reformats lines, recognises program lines, keeps the received
// lines not yet saved (shown in the data view) and appends them to the target
// file every 1000 lines, at every new program and at the end. Nothing received
// is lost: lines before the first program head its file (a file of their own
// when there is no program line or a 1000-line save comes first), and two
// programs of one name in one reception get two files.
#pragma once

#include "transfer/ReceiveText.h"

#include <ctime>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct TSettings;

// What a reception shows while it runs.
class ReceiveView {
public:
    virtual ~ReceiveView() = default;
    // The data view RichEdit1 holds the received lines not yet saved.
    virtual void AppendDataLine(std::string_view line) = 0;
    virtual void ClearDataView() = 0;
    // Adds a program line to the program list ListBox2 as entry index and highlights it.
    virtual void ListProgram(int index, std::string_view line) = 0;
    // The progress bar, 0 to 1000 lines.
    virtual void SetProgress(int lines) = 0;
};

// Lines shown and kept before the received lines are saved.
inline constexpr int kLinesPerSave = 1000;

struct ReceivePlan {
    bool namedMode = false;
    std::string namedPath; // named mode: the operator's file
    std::string dirPath;
    std::string extension; // the mask without its first character
    bool startChar = false;
    bool endChar = false;
    bool oChange = false;
    bool addNumber = false;
    bool cutBlanks = false; // Read_SP_Cut other than "N"
    std::time_t startedAt = 0;
};

ReceivePlan ReceivePlanFor(const TSettings& settings, bool namedMode, std::string namedPath,
                           std::time_t startedAt);

class ReceiveSession {
public:
    ReceiveSession(ReceivePlan plan, ReceiveView& view);

    // Named mode: creates (or empties) the operator's file. False: Error() says why.
    bool Open();
    // The reception starts with its first character.
    void Start(unsigned char startChar);

    enum class Step { Next, End, Failed };
    // One read of the byte loop: the decoded character, 0 when nothing came.
    Step Take(unsigned char c);

    // The line being received goes to the data view (the far end ended without a line feed).
    void KeepPartialLine();
    // Saves what is still unsaved, with closing an end "%" line first (EndChar),
    // and flushes every file of the reception to the disk.
    bool Finish(bool closing);
    // Deletes the file in progress (named file or the current program's file),
    // when this reception created it; completed program files stay.
    void RemoveFileInProgress();

    // Full path of the file being written; empty when there is none.
    const std::string& TargetPath() const { return target_; }
    // The last file written to, for the log.
    const std::string& LastPath() const { return lastPath_; }
    const std::string& Error() const { return error_; }
    int ProgramCount() const { return programCount_; }
    int LineCount() const { return lineCount_; }
    bool Started() const { return started_; }

private:
    Step LineEnd();
    Step Character(unsigned char c);
    bool NewProgram(const std::string& programLine);
    void AddLine(std::string_view line);
    bool Save();
    void DiscardPending();
    bool CreateFile(const std::string& path);
    bool CreateUniqueFile(const std::string& fileName, bool mayReplace);
    bool ClaimName(const std::string& fileName);

    ReceivePlan plan_;
    ReceiveView& view_;
    ReceiveLineBuffer buffer_;
    bool started_ = false;
    bool firstLineDone_ = false;
    int programCount_ = 0;
    int lineCount_ = 0;
    std::string pending_;         // unsaved lines, each with CR LF
    bool pendingHasText_ = false; // a pending line is not empty
    std::string target_;
    bool targetCreated_ = false;
    std::string lastPath_;
    std::set<std::string> namesUsed_;       // upper-cased file names this reception created
    std::vector<std::string> filesWritten_; // paths of the files this reception created
    std::string error_;
};
