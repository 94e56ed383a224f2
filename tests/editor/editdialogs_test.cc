// The editor's dialogs driven through the event queue: their texts, and
// that typing, accelerators and buttons set the caller's values.
#include <gtest/gtest.h>

#include <string>

#include "console/cells.h"
#include "editor/editdialogs.h"
#include "tests/support/uitest.h"

namespace {

class EditDialogsTest : public ::testing::Test {
protected:
    EditDialogsTest() { ui.RecordScreens(true); }
    // Whether every text appeared on some screen while the dialog ran.
    void ExpectShown(std::initializer_list<const char*> texts) {
        for (const char* text : texts) EXPECT_TRUE(AnyScreenShows(ui, text)) << text << "\n" << LastScreen();
    }
    std::string LastScreen() const { return ui.Screens().empty() ? "" : ui.Screens().back().Dump(); }
    static std::string Utf8(const Westring& s) { return s.ToUTF8().c_str(); }

    CUiTest ui;
};

TEST_F(EditDialogsTest, SearchTakesTheTextAndTheOptions) {
    Westring search(L"old text");
    EditSearchOptions options;
    options.reverse = true;
    ui.Type("needle");
    ui.Keys("Tab Space Tab Space Tab Space Enter");  // every option flipped
    const int result = ui.Run([&] { return CEditSearchDlg(search, nullptr, options).Run(); });
    EXPECT_EQ(result, 13);
    EXPECT_EQ(Utf8(search), "needle");
    EXPECT_TRUE(options.case_sensitive);
    EXPECT_FALSE(options.reverse);
    EXPECT_TRUE(options.whole_word);
    ExpectShown({"Search for:", "Case Sensitive", "Reverse", "Whole Word", "OK", "Cancel"});
    EXPECT_FALSE(AnyScreenShows(ui, "Replace with:"));
}

TEST_F(EditDialogsTest, ReplaceFieldsAreReachedByTheirHotKeys) {
    Westring search, replacement(L"preset");
    EditSearchOptions options;
    ui.Type("old");
    ui.Keys("Alt-p");
    ui.Type("new");
    ui.Keys("Alt-s End");
    ui.Type("er");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([&] { return CEditSearchDlg(search, &replacement, options).Run(); }), 13);
    EXPECT_EQ(Utf8(search), "older");
    EXPECT_EQ(Utf8(replacement), "new");
    ExpectShown({"Search for:", "Replace with:"});

    ui.Keys("x Esc");
    EXPECT_EQ(ui.Run([&] { return CEditSearchDlg(search, &replacement, options).Run(); }), 27);
}

TEST_F(EditDialogsTest, StringFoundAnswers) {
    const std::pair<const char*, FoundAnswer> cases[] = {{"Enter", FoundAnswer::Replace},
                                                         {"Alt-s", FoundAnswer::Skip},
                                                         {"Alt-a", FoundAnswer::All},
                                                         {"Alt-r", FoundAnswer::Replace},
                                                         {"Esc", FoundAnswer::Cancel}};
    for (const auto& c : cases) {
        ui.Keys(c.first);
        FoundAnswer answer = FoundAnswer::Cancel;
        ui.RunVoid([&] { answer = AskStringFound(); });
        EXPECT_EQ(answer, c.second) << c.first;
    }
    ExpectShown({" String Found ", "Replace", "Skip", "Cancel", "All"});
}

TEST_F(EditDialogsTest, GotoLineShowsTheRangeAndTakesTheNumber) {
    int line = 7;
    ui.Type("42");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([&] { return CGotoLineDlg(1234, line).Run(); }), 13);
    EXPECT_EQ(line, 42);
    ExpectShown({" Goto Line ", "Line to go to:", "(1-1234)"});
}

TEST_F(EditDialogsTest, SaveAsReportsTheNameAndEncoding) {
    Westring name(L"old.txt");
    EncodingChoice encoding = EncodingChoice::From(FF_UTF8, 1252, false);
    ui.Type("new.txt");
    ui.Keys("Alt-6 Alt-e Alt-b Enter");
    EXPECT_EQ(ui.Run([&] { return CSaveAsDlg(name, encoding).Run(); }), 13);
    EXPECT_EQ(Utf8(name), "new.txt");
    EXPECT_EQ(encoding.Format(), FF_UTF16BE);
    EXPECT_TRUE(encoding.byte_order_mark);
    ExpectShown({" Save As ", "Name:", "File Format:", "UTF-8", "UTF-16", "UTF-32", "Code Page", "Big-Endian",
                 "Byte Order Mark", "Code Page:"});

    ui.Keys("Alt-p Alt-c");
    ui.Type("866");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([&] { return CSaveAsDlg(name, encoding).Run(); }), 13);
    EXPECT_EQ(encoding.Format(), FF_CODEPAGE);
    EXPECT_EQ(encoding.code_page, 866);
}

TEST_F(EditDialogsTest, SaveAsStaysOpenWhileTheNameIsRefused) {
    Westring name;
    EncodingChoice encoding;
    int asked = 0;
    auto accept = [&](const Westring& n) { return ++asked, Utf8(n) != "taken"; };
    ui.Type("taken");
    ui.Keys("Enter Home Shift-End");  // refused: the name is corrected
    ui.Type("free");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([&] { return CSaveAsDlg(name, encoding, accept).Run(); }), 13);
    EXPECT_EQ(Utf8(name), "free");
    EXPECT_EQ(asked, 2);
}

TEST_F(EditDialogsTest, FormatSelectChangesTheEncoding) {
    EncodingChoice encoding = EncodingChoice::From(FF_UTF16LE, 1252, true);
    EXPECT_EQ(encoding.Format(), FF_UTF16LE);
    ui.Keys("Alt-3 Alt-e Alt-b Enter");
    EXPECT_EQ(ui.Run([&] { return CFormatSelectDlg(encoding).Run(); }), 13);
    EXPECT_EQ(encoding.Format(), FF_UTF32BE);
    EXPECT_FALSE(encoding.byte_order_mark);
    ExpectShown({"Select File Encoding", "File Format:", "Code Page:"});

    ui.Keys("Alt-8 Esc");  // cancelled: the caller's copy decides, the dialog reports 27
    EXPECT_EQ(ui.Run([&] { return CFormatSelectDlg(encoding).Run(); }), 27);
}

TEST_F(EditDialogsTest, UnsavedChangesAnswersInTheErrorsColour) {
    const std::pair<const char*, UnsavedAnswer> cases[] = {{"Alt-s", UnsavedAnswer::Save},
                                                           {"Alt-d", UnsavedAnswer::Discard},
                                                           {"Alt-e", UnsavedAnswer::Edit},
                                                           {"Esc", UnsavedAnswer::Edit}};
    for (const auto& c : cases) {
        ui.Keys(c.first);
        UnsavedAnswer answer = UnsavedAnswer::Save;
        ui.RunVoid([&] { answer = AskUnsavedChanges(); });
        EXPECT_EQ(answer, c.second) << c.first;
    }
    ExpectShown({"There are unsaved changes", "Save", "Discard", "Edit"});
    int x = 0, y = 0;
    ASSERT_TRUE(ui.Screens().back().Find("There are unsaved changes", &x, &y));
    EXPECT_EQ(ui.Screens().back().Attr(x, y), colours[CLR_ERRORS]);
}

TEST_F(EditDialogsTest, CodePageChangeAsksBeforeDiscarding) {
    bool discard = false;
    ui.Keys("Enter");
    ui.RunVoid([&] { discard = ConfirmReloadDiscarding(); });
    EXPECT_TRUE(discard);
    ui.Keys("Esc");
    ui.RunVoid([&] { discard = ConfirmReloadDiscarding(); });
    EXPECT_FALSE(discard);
    ExpectShown({" Code Page Change ", "File must be re-loaded, discard changes?"});
}

}  // namespace
