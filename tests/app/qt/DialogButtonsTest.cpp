// Enter on a button that holds the focus presses that button, in every dialog of
// the window: the keyboard path through a dialog never ends in a dead button. The
// buttons' own handlers are taken off first, so that only the press is counted.
#include "app/qt/Mainunit1.h"
#include "app/qt/Option.h"
#include "extapps/qt/Appopen.h"
#include "extapps/qt/Editapp.h"
#include "extapps/qt/Outapp.h"
#include "files/qt/FileInfo.h"
#include "files/qt/Find.h"
#include "files/qt/PlusCopy.h"
#include "files/qt/Rname.h"
#include "files/qt/Rnamea.h"
#include "nctools/qt/Autono.h"
#include "nctools/qt/Bai2.h"
#include "nctools/qt/Divides.h"
#include "nctools/qt/Plus.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(DialogButtons, EnterOnAFocusedButtonPressesItInEveryDialog) {
    TestWindow window;
    TForm1& form = *window.form;
    window.AnswerQuestions();
    auto autoForm = std::make_unique<TAutoForm>(&form);
    auto copyForm = std::make_unique<TPlusCopyForm>(&form);
    const std::pair<const char*, QDialog*> dialogs[] = {
        {"information", form.FileInfoForm()},
        {"find", form.FindForm()},
        {"rename", form.RNameForm()},
        {"rename marked", form.RNameAForm()},
        {"split", form.SplitForm()},
        {"join", form.JoinForm()},
        {"doubling", form.DoublingForm()},
        {"options", form.OptionForm},
        {"application list", form.AppopenForm},
        {"editor", form.EditAppForm},
        {"argument", form.OutAppForm},
        {"copy or move", copyForm.get()},
        {"port switch", autoForm.get()},
    };
    for (const auto& [name, dialog] : dialogs) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        int buttons = 0;
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (!button->isVisible())
                continue;
            ++buttons;
            const std::string label = std::string(name) + " " + button->text().toStdString();
            QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
            int presses = 0;
            QObject::connect(button, &QAbstractButton::clicked, [&presses] { ++presses; });
            button->setEnabled(true);
            button->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), button) << label;
            QTest::keyClick(button, Qt::Key_Return);
            EXPECT_EQ(presses, 1) << label;
            QTest::keyClick(button, Qt::Key_Enter); // the keypad's Enter too
            EXPECT_EQ(presses, 2) << label;
        }
        EXPECT_GE(buttons, 2) << name;
        dialog->hide();
    }
}

} // namespace
