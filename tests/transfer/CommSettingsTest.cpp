#include "transfer/CommSettings.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

CommPanelTexts Unchanged(const TSettings& s) {
    return CommTextsFromSettings(s);
}

} // namespace

TEST(CommSettings, SpeedTextsOfTenToTwelveCharactersAreTaken) {
    struct Case {
        const char* text;
        bool taken;
    } cases[] = {
        {"", false},
        {"9600,8", false},
        {"600,8,N,2", false},
        {"9600,8,N,1", true},
        {"19200,7,O,2", true},
        {"19200,7,O,2 ", true},
        {"19200,7,O,2  ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpeedTextAccepted(c.text), c.taken) << '"' << c.text << '"';
}

TEST(CommSettings, PortTextsBecomeComNamesInCapitals) {
    struct Case {
        const char* text;
        const char* stored;
    } cases[] = {
        {"3", "COM3"}, {"com3", "COM3"}, {"COM12", "COM12"}, {"Com7", "COM7"}, {"12com", "12COM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortNameFromText(c.text), c.stored) << c.text;
}

TEST(CommSettings, StoresCapitalsAndKeepsSettingsOfEmptyFields) {
    TSettings s;
    CommPanelTexts t = Unchanged(s);
    t.Speed1 = "9600,8,n,2";
    t.Speed2 = "19200,7,o,2 ";
    t.Port1 = "3";
    t.Port2 = "com12";
    t.Signal1 = "n";
    t.Feed = "";
    t.Feed1 = "";
    t.Port1 = "3";
    t.Reader = "";
    ASSERT_EQ(StoreCommTexts(t, s), CommRefusal::None);
    EXPECT_EQ(s.Speed1, "9600,8,N,2");
    EXPECT_EQ(s.Speed2, "19200,7,O,2 ");
    EXPECT_EQ(s.Port1, "COM3");
    EXPECT_EQ(s.Port2, "COM12");
    EXPECT_EQ(s.Signal1, "N");
    EXPECT_EQ(s.Feed, "50");
    EXPECT_EQ(s.Feed1, "50");
    EXPECT_EQ(s.Reader, "N");

    // An emptied port box keeps the port: "COM" alone names none.
    t = Unchanged(s);
    t.Port2 = "";
    ASSERT_EQ(StoreCommTexts(t, s), CommRefusal::None);
    EXPECT_EQ(s.Port2, "COM12");
}

TEST(CommSettings, TapeDevicesForceTheirSpeed) {
    TSettings s;
    CommPanelTexts t = Unchanged(s);
    t.Speed1 = "9600,7,E,1";
    t.Puncher = "y";
    t.Speed2 = "19200,8,N,1";
    ASSERT_EQ(StoreCommTexts(t, s), CommRefusal::None);
    EXPECT_EQ(s.Puncher, "Y");
    EXPECT_EQ(s.Speed1, "4800,8,N,2");
    EXPECT_EQ(s.Speed2, "19200,8,N,1");

    t = Unchanged(s);
    t.Puncher = "N";
    t.Speed1 = "9600,7,E,1";
    t.Reader = "Y";
    ASSERT_EQ(StoreCommTexts(t, s), CommRefusal::None);
    EXPECT_EQ(s.Speed1, "9600,7,E,1");
    EXPECT_EQ(s.Speed2, "4800,8,N,2");
}

TEST(CommSettings, ARefusedSpeedStoresNothing) {
    const TSettings before;
    TSettings s = before;
    CommPanelTexts t = Unchanged(s);
    t.Speed1 = "9600,8";
    t.Port1 = "COM2";
    EXPECT_EQ(StoreCommTexts(t, s), CommRefusal::Speed1);
    EXPECT_EQ(s.Speed1, before.Speed1);
    EXPECT_EQ(s.Port1, before.Port1);

    // A refused receive speed also leaves the send side as it was.
    t = Unchanged(s);
    t.Speed1 = "9600,8,N,1";
    t.Signal1 = "N";
    t.Speed2 = "";
    EXPECT_EQ(StoreCommTexts(t, s), CommRefusal::Speed2);
    EXPECT_EQ(s.Speed1, before.Speed1);
    EXPECT_EQ(s.Signal1, before.Signal1);
}

TEST(CommSettings, EveryFieldCountsAsAChange) {
    const TSettings s;
    EXPECT_FALSE(CommTextsDiffer(Unchanged(s), s));
    std::string CommPanelTexts::*fields[] = {
        &CommPanelTexts::Speed1,    &CommPanelTexts::Port1,   &CommPanelTexts::Signal1,
        &CommPanelTexts::StartChar, &CommPanelTexts::EndChar, &CommPanelTexts::Code,
        &CommPanelTexts::Puncher,   &CommPanelTexts::Feed,    &CommPanelTexts::Feed1,
        &CommPanelTexts::Speed2,    &CommPanelTexts::Port2,   &CommPanelTexts::Signal2,
        &CommPanelTexts::Reader,
    };
    for (auto field : fields) {
        CommPanelTexts t = Unchanged(s);
        t.*field += "9";
        EXPECT_TRUE(CommTextsDiffer(t, s)) << t.*field;
    }
}

TEST(CommSettings, CompletionTakesTheFirstItemThatBeginsWithTheTypedText) {
    const std::vector<std::string> items = {"9600,8,N,1", "9600,8,N,2", "19200,7,O,2 "};
    struct Case {
        const char* text;
        int caret;
        const char* shown;
        int selectionStart;
        int selectionLength;
    } cases[] = {
        {"96", 2, "9600,8,N,1", 2, 8},
        {"9600,8,N,2", 9, "9600,8,N,1", 9, 1}, // the text after the caret is retyped
        {"9600,8,n", 8, "9600,8,n", 8, 0},     // no item: the typed text stays
        {"192", 3, "19200,7,O,2 ", 3, 9},
        {"", 0, "", 0, 0},
        {"5", 1, "5", 1, 0},
    };
    for (const Case& c : cases) {
        const Completion done = CompleteFromItems(items, c.text, c.caret);
        EXPECT_EQ(done.text, c.shown) << c.text;
        EXPECT_EQ(done.selectionStart, c.selectionStart) << c.text;
        EXPECT_EQ(done.selectionLength, c.selectionLength) << c.text;
    }
}
