// Archive panels changed through the real archiver programs: a source
// tree, archives of it made and read back by the archivers themselves,
// and a headless console on which the commands run and dialogs take keys.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "archive/archive.h"
#include "archive/archiveops.h"
#include "archive/archivepanel.h"
#include "config/archivers.h"
#include "exec/chdir.h"
#include "tests/archive/archive_oracle.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/uitest.h"

struct ArchiveFormat {
    const char* name;       // for test names
    const char* extension;  // of the archive file
    // Makes ARCHIVE (absolute) of every name in the current directory.
    const char* make;
    // Extracts ARCHIVE into the current directory, everything.
    const char* extract;
};

inline std::ostream& operator<<(std::ostream& out, const ArchiveFormat& format) { return out << format.name; }

// The formats with a Debian program that writes them.
inline const ArchiveFormat kWritableFormats[] = {
    {"zip", "zip", "zip -qr ARCHIVE -- *", "unzip -qo ARCHIVE"},
    {"tar", "tar", "tar -cf ARCHIVE -- *", "tar -xf ARCHIVE"},
    {"sevenzip", "7z", "7z a -spd -bd ARCHIVE -- * >/dev/null", "7z x -spd -bd -y ARCHIVE >/dev/null"},
    {"arj", "arj", "arj a -r -y ARCHIVE >/dev/null", "arj x -y ARCHIVE >/dev/null"},
    {"lha", "lzh", "lha aq ARCHIVE *", "lha xqf ARCHIVE"},
};

class ArchiveOpsTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = std::filesystem::current_path();
        saved_archivers_.assign(Archiver, Archiver + ARCHIVER_COUNT);
        InstallArchiveHooks();
        InitializeArchivers();
        src_ = tmp / "src";
        out_ = tmp / "out";
        std::filesystem::create_directories(src_);
        std::filesystem::create_directories(out_);
    }
    void TearDown() override {
        for (int side = 0; side < 2; side++) CloseArchives(panel_base + side);
        for (int i = 0; i < ARCHIVER_COUNT; i++) Archiver[i] = saved_archivers_[static_cast<size_t>(i)];
        if (chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << saved_cwd_;
        PanelTest::TearDown();
    }

    // A file below src with its own name as content.
    void Source(const std::string& relative) {
        const std::string path = src_ + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFile(path, "bytes of " + relative + "\n");
    }
    // The archive of src made by the format's own program.
    std::string Make(const ArchiveFormat& format, const std::string& name = "t") {
        const std::string archive = tmp / (name + "." + format.extension);
        EXPECT_EQ(RunShell("cd " + ShellQuote(src_) + " && " + Fill(format.make, archive)), 0);
        return archive;
    }
    // What the format's own program extracts from archive, as relative
    // path -> content ("<dir>" for a folder).
    std::map<std::string, std::string> Contents(const ArchiveFormat& format, const std::string& archive) {
        const std::string where = tmp / ("check" + std::to_string(checks_++));
        std::filesystem::create_directories(where);
        EXPECT_EQ(RunShell("cd " + ShellQuote(where) + " && " + Fill(format.extract, archive) + " </dev/null"), 0);
        return FolderTree(where);
    }
    static std::map<std::string, std::string> FolderTree(const std::string& root) {
        std::map<std::string, std::string> tree;
        for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
            const std::string relative = item.path().string().substr(root.size() + 1);
            if (item.is_directory()) tree[relative] = "<dir>";
            else tree[relative] = ReadFile(item.path().string());
        }
        return tree;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // Panel 0 inside archive (at folder inside it, when given); panel 1 on out.
    void OpenInPanel(const std::string& archive, const std::string& folder = "") {
        SetUpPanel(panel_base[0], std::filesystem::path(archive).parent_path().string());
        read_panel(panel_base);
        entry* e = Find(panel_base[0], std::filesystem::path(archive).filename().string());
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(EnterArchive(panel_base, e));
        if (!folder.empty()) change_dir(panel_base, 0, Westring(folder.c_str()).c_str(), 0, -1, -1);
        SetUpPanel(panel_base[1], out_);
        read_panel(panel_base + 1);
        currpanel = 0;
    }
    void Reread(int side) { read_panel(panel_base + side); }
    static void Tag(PANEL& panel, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            entry* e = Find(panel, name);
            ASSERT_NE(e, nullptr) << name;
            e->tagged = 1;
            panel.num_tagged++;
            panel.tagged_size += e->size;
        }
    }
    static void PutCursor(PANEL& panel, const char* name) {
        const int index = IndexOf(panel, name);
        ASSERT_GE(index, 0) << name;
        panel.top = index;
        panel.cur = 0;
    }
    // F5 (or F6) on side, the proposed destination accepted.
    void CopyOut(int side = 0, bool move = false) {
        ui_.Keys("Enter");
        ui_.RunVoid([&] { archive_copy_move(panel_base, side, move); });
    }
    // Runs body as the main loop would: a wait for a key that is not
    // queued fails the test instead of hanging it.
    void Do(const std::function<void()>& body) { ui_.RunVoid(body); }

    static std::string Fill(const std::string& command, const std::string& archive) {
        std::string filled = command;
        filled.replace(filled.find("ARCHIVE"), 7, ShellQuote(archive));
        return filled;
    }

    CUiTest ui_;
    std::string src_, out_;
    std::string saved_cwd_;
    std::vector<ArchiverProgram> saved_archivers_;
    int checks_ = 0;
};
