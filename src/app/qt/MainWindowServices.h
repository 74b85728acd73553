// What a command's window side may use of the main window: the settings, the
// listing and its list, the data view, the message line and the status panels, the
// panels, and the return to idle. Feature code holds this, not the window, so that
// it reaches no control the window keeps to itself.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <string>

class DataView;
class FileListBox;
struct FileListModel;
class QWidget;
class TCommandLinePanel;
class TTransferPanel;
struct TSettings;

class MainWindowServices {
public:
    virtual QWidget& Window() = 0;
    virtual TSettings& SettingsRecord() = 0;
    virtual FileListModel& Listing() = 0;
    virtual FileListBox& List() = 0;
    virtual DataView& View() = 0;
    virtual TTransferPanel& Transfer() = 0;
    virtual TCommandLinePanel& CommandEntry() = 0;

    // Lists the working directory again (ListDirectory's three choices).
    virtual void ListDirectory(bool keepPattern, bool keepSelection, bool resortOnly) = 0;
    virtual void ShowNormalLegend() = 0;
    virtual void SetMessage(const QString& text, const QColor& colour = Qt::green) = 0;
    virtual void SetStatusPanel(int index, const QString& text) = 0;
    // Loads a file of the working directory into the data view; its size, or
    // 4294967295 when unknown.
    virtual std::uint64_t LoadFileIntoView(const std::string& name) = 0;

    // The message line cleared and the list usable again after ms.
    virtual void StartReturnToIdle(int ms) = 0;
    // The return to idle lists the working directory again.
    virtual void RequestRelist() = 0;
    // A job's own close after its completion (exit after transfer).
    virtual void CloseAfterCompletion() = 0;

protected:
    ~MainWindowServices() = default;
};
