// The program's message boxes: Japanese button texts as the Japanese system shows
// them, and the answer as the last-answer code (6 yes, 7 no, 1 OK, 2 cancel).
// A window or dialog may be given its own presenter (a test answers instead of
// the operator); every other box is the modal one.
#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

enum class BoxIcon { None, Information, Question, Exclamation, Stop };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel, Yes };

enum BoxAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

struct BoxRequest {
    BoxIcon icon;
    BoxButtons buttons;
    QString caption;
    QString text;
    QString detail;
    // Top-left corner on the screen; without it the box centres on its parent.
    std::optional<QPoint> position = std::nullopt;
};

int ShowBox(QWidget* parent, const BoxRequest& request);
// The boxes that stand 50 pixels right of and below a window's top-left corner
// (its frame) rather than centred: the one place that computes that corner.
QPoint BoxCornerOf(const QWidget* window);
int ShowBoxAtCorner(QWidget* window, BoxRequest request);

// Conventions shared by every Part: refusals, completions, nothing to do, questions.
void ShowRefusal(QWidget* parent, const QString& text);     // stop icon, "確認"
void ShowFailure(QWidget* parent, const QString& text);     // stop icon, "エラー"
void ShowCompletion(QWidget* parent, const QString& text);  // information, "完了"
void ShowNothingToDo(QWidget* parent, const QString& text); // exclamation, "中止"
int AskYesNo(QWidget* parent, const QString& caption, const QString& text);

// Shows a box and returns its answer code.
class BoxPresenter {
public:
    virtual ~BoxPresenter() = default;
    virtual int Present(QWidget* parent, const BoxRequest& request) = 0;
};

// The modal message box with the Japanese buttons, the default of every widget.
BoxPresenter& ModalBoxPresenter();
// Boxes asked for on owner or on any widget inside it (its dialogs, its fields) go
// to presenter; nullptr gives them back to the modal box. presenter outlives owner
// or is taken back first.
void SetBoxPresenter(QWidget& owner, BoxPresenter* presenter);
