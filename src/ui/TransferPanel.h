// The transfer panel GroupBox2: the data view with its legend, the remaining-bytes
// line Label17, the queue or program list ListBox2, and ProgressBar1 in the status
// bar. It shows one mode at a time (send, receive, viewer, log) and says which, so
// that no caller has to tell the mode from the panel's title.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class DataView;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QWidget;

enum class TransferPanelMode { Hidden, Sending, Receiving, Viewing, Log };

class TTransferPanel : public QObject {
public:
    // Lays the panel out inside window and the progress bar inside statusBar.
    TTransferPanel(QWidget* window, QWidget* statusBar);

    // The data view and its legend live in the panel but serve every command.
    DataView* View() const { return RichEdit1; }
    QLabel* Legend() const { return Label16; }

    // A queue of marked files takes the wide panel, one file the narrow one; the
    // queue list is emptied either way.
    void ShowForSending(bool queue);
    // The program list emptied, the bar counting lines up to progressMaximum.
    void ShowForReceiving(int progressMaximum);
    void ShowForViewing();
    void ShowForLog();
    void Hide();
    // The mode last shown, Hidden after Hide.
    TransferPanelMode Mode() const { return mode_; }
    bool IsViewingOrLog() const {
        return mode_ == TransferPanelMode::Viewing || mode_ == TransferPanelMode::Log;
    }

    // The bar from 0 to maximum, at 0.
    void SetProgressRange(int maximum);
    void SetProgress(int position);
    void ShowRemaining(const QString& text);

    void SetQueue(const QStringList& names);
    void HighlightQueueEntry(int index);
    // A received program's line at index, highlighted and drawn at once (the
    // receive loop paints nothing else until its next pause).
    void ListProgram(int index, const QString& line);

private:
    void ShowAs(TransferPanelMode mode, const QString& caption, const QRect& place,
                const QColor& colour);

    QGroupBox* GroupBox2 = nullptr;
    DataView* RichEdit1 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    TransferPanelMode mode_ = TransferPanelMode::Hidden;
};
