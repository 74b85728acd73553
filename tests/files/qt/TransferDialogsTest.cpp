#include "files/qt/TransferDialogs.h"
#include "files/qt/Trash.h"

#include "support/ReplaceAnswers.h"
#include "support/TempDir.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(Trash, ItemsGoToTheTrashOfTheDataFolder) {
    TempDir dir;
    // The data folder is missing at first: the trash must still not land in the
    // current folder.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
    fs::create_directory(dir / "nc");
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        dir.Write(std::string("nc/") + name, name);
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        EXPECT_TRUE(MoveToTrash((dir / "nc" / name).string())) << name;
    EXPECT_TRUE(fs::is_empty(dir / "nc"));
    fs::path trash = dir / "data" / "Trash" / "files";
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        EXPECT_EQ(TempDir::Read(trash / name), name);
    EXPECT_TRUE(fs::exists(dir / "data" / "Trash" / "info" / "A.NC.trashinfo"));

    std::string error;
    EXPECT_FALSE(MoveToTrash((dir / "nc" / "missing.NC").string(), &error));
    EXPECT_NE(error.find("missing.NC"), std::string::npos);
    qunsetenv("XDG_DATA_HOME");
}

TEST(TransferDialogs, ReplaceQuestionsAndFailureText) {
    TempDir dir;
    fs::create_directory(dir / "to");
    std::vector<std::string> sources;
    for (const char* name : {"A.NC", "B.NC", "C.NC", "D.NC", "E.NC"}) {
        sources.push_back(dir.Write(name, "new").string());
        dir.Write(std::string("to/") + name, "old");
    }
    std::vector<ReplaceAnswer> answers = {ReplaceAnswer::No, ReplaceAnswer::Yes,
                                          ReplaceAnswer::YesToAll};
    size_t asked = 0;
    ReplaceAnswers replaces;
    replaces.answer = [&](const fs::path&) { return answers.at(asked++); };
    QWidget window;
    replaces.Watch(window);
    // Five files: more than a few, so the progress dialog runs along on the window.
    TransferOutcome outcome = TransferWithDialogs(&window, sources, (dir / "to").string(), true);
    EXPECT_EQ(asked, 3u);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(TempDir::Read(dir / "to" / "A.NC"), "old");
    for (const char* name : {"B.NC", "C.NC", "D.NC", "E.NC"})
        EXPECT_EQ(TempDir::Read(dir / "to" / name), "new") << name;

    QString text = FailureText(QStringLiteral("コピーできませんでした。"),
                               {"/nc/A.NC: Permission denied", "/nc/\x82\xa0.NC: No space"});
    EXPECT_EQ(text, QStringLiteral("コピーできませんでした。\n/nc/A.NC: Permission denied\n"
                                   "/nc/あ.NC: No space"));
}

} // namespace
