#include <gtest/gtest.h>

#include <string>

#include "editor/filestatus.h"
#include "editmodel_support.h"

TEST(FileStatus, ARecordIsUsedOnlyWhileTheFileIsUnchanged) {
    FileStatusStore store;
    HISTREC record;
    record.name = L"/tmp/a.txt";
    record.size = 120;
    record.mtime = 5000;
    record.top = 7;
    store.Store(record);
    ASSERT_NE(nullptr, store.Find(L"/tmp/a.txt", 120, 5000));
    EXPECT_EQ(7, store.Find(L"/tmp/a.txt", 120, 5000)->top);
    EXPECT_EQ(nullptr, store.Find(L"/tmp/A.txt", 120, 5000));  // names compare exactly
    EXPECT_EQ(nullptr, store.Find(L"/tmp/a.txt", 120, 5001));  // touched
    EXPECT_EQ(nullptr, store.Find(L"/tmp/a.txt", 120, 5000));  // and forgotten
    store.Store(record);
    EXPECT_EQ(nullptr, store.Find(L"/tmp/a.txt", 121, 5000));  // grew
    EXPECT_EQ(0, store.count());
}

TEST(FileStatus, RestoringClampsIntoTheTextAndUndoStillWorks) {
    EditModel model;
    SetText(model, L"one\ntwo\nthree\nfour");
    model.SetCursor({2, 5});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'!'));
    model.SetBookmark(1);
    model.top = 1;
    model.row = 1;
    HISTREC record;
    CTextFile file;
    file.format = FF_CODEPAGE;
    file.code_page = 866;
    StoreEditHistory(model, file, record);
    EXPECT_EQ(6, record.col);
    EXPECT_EQ(FF_CODEPAGE, record.format);
    EXPECT_EQ(866, record.code_page);
    EXPECT_EQ(-1, record.viewer_pos);

    EditModel again;
    SetText(again, L"one\ntwo\nthree!\nfour");
    RestoreEditHistory(again, record, 25);
    EXPECT_EQ(2, again.cursor().line);
    EXPECT_EQ(6, again.cursor().pos);
    EXPECT_EQ(2, again.bookmarks[1].line);
    ASSERT_EQ(EditStatus::kOk, again.Undo());
    EXPECT_EQ(L"one\ntwo\nthree\nfour", AllText(again));

    record.top = 50;  // beyond a shorter text
    record.bookmarks[2] = {0, 40};
    EditModel shorter;
    SetText(shorter, L"x\ny");
    RestoreEditHistory(shorter, record, 25);
    EXPECT_EQ(1, shorter.cursor().line);
    EXPECT_EQ(-1, shorter.bookmarks[2].line);
    EXPECT_EQ(EditStatus::kBadPosition, UndoStep(shorter));
    EXPECT_EQ(L"x\ny", AllText(shorter));
}
