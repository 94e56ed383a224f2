// Substitution of the command character's macros, checked by handing the
// result to /bin/sh: each name must come back as exactly one argument.
#include <sys/stat.h>
#include <unistd.h>

#include "exec/environment.h"
#include "exec/substitute.h"
#include "exec/tmpfiles.h"
#include "panels/paneldisplay.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/shell_output.h"

namespace {

// The left panel on a directory of awkward names, the right on a plain one.
class SubstituteTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        for (const char* name : kNames) tmp.Write(name, "");
        other_.Write("o1", "");
        other_.Write("o 2", "");
        SetUpPanel(panel_base[0], tmp.path());
        SetUpPanel(panel_base[1], other_.path());
        read_panel(panel_base);
        read_panel(panel_base + 1);
        SessionEnv.Clear();
    }
    void TearDown() override {
        SessionEnv.Clear();
        PanelTest::TearDown();
    }

    // The command expanded on the left panel with the cursor on name.
    std::string Expand(const std::string& command, const std::string& cursor, SubstMode mode = SUBST_COMMAND_LINE,
                       int* result = nullptr) {
        PANEL* panel = panel_base;
        int index = IndexOf(*panel, cursor);
        EXPECT_GE(index, 0) << cursor;
        panel->top = 0;
        panel->cur = index;
        Westring text = DecodeFileName(command.c_str());
        Westring file = DecodeFileName(cursor.c_str());
        int r = pling_subst(text, mode == SUBST_RUN_FILE ? file.c_str() : nullptr, 0, mode);
        if (result) *result = r;
        return EncodeFileName(text).c_str();
    }
    // The words sh makes of text, each in brackets.
    static std::string Words(const std::string& text) {
        return ShellOutput("cd /tmp && printf '[%s]' " + text);
    }

    static constexpr const char* kNames[] = {"a b.txt", "it's", "$HOME", "-rf", "x\ny", "*", "\xff\xfe.bin", "~tilde"};
    CTempDir other_;
};

TEST_F(SubstituteTest, EveryNameReachesTheShellAsOneArgument) {
    for (const char* name : kNames) {
        std::string command = Expand("!", name);
        std::string expected = std::string("[") + (name[0] == '-' ? "./" : "") + name + "]";
        EXPECT_EQ(Words(command), expected) << name << " became " << command;
        // The full path, and the name inside a longer word, stay one argument too.
        EXPECT_EQ(Words(Expand("!f", name)), "[" + tmp.path() + "/" + name + "]") << name;
        EXPECT_EQ(Words(Expand("pre!", name)), std::string("[pre") + name + "]") << name;
    }
    EXPECT_EQ(Expand("vi !", "a b.txt"), "vi a\\ b.txt");
}

TEST_F(SubstituteTest, MacrosGiveNamesDirectoriesAndTheOtherPanel) {
    panel_base[1].cur = IndexOf(panel_base[1], "o 2");
    const struct {
        const char* command;
        std::string words;
    } cases[] = {
        {"!x", "[a b]"},
        {"!p !s", "[" + tmp.path() + "][" + tmp.path() + "/]"},
        {"!P!S", "[" + other_.path() + other_.path() + "/]"},  // adjacent macros are one word
        {"!F", "[" + other_.path() + "/o 2]"},
        {"!!x", "[!x]"},
        {"!n", "[]"},  // printf without arguments
    };
    for (const auto& c : cases) EXPECT_EQ(Words(Expand(c.command, "a b.txt")), c.words) << c.command;

    // A file's own command gets the name unless it names it, or says !n.
    int result = 0;
    EXPECT_EQ(Words(Expand("cat", "a b.txt", SUBST_RUN_FILE, &result)), "[cat][a b.txt]");
    EXPECT_EQ(Words(Expand("echo !n", "a b.txt", SUBST_RUN_FILE)), "[echo]");
    EXPECT_EQ(result, 0);
}

TEST_F(SubstituteTest, ListsTakeTheTaggedNamesAndStopBeforeTheLimit) {
    PANEL* panel = panel_base;
    std::string expected;
    for (const std::string& name : ListNames(*panel)) {
        if (name != "a b.txt" && name != "-rf" && name != "it's") continue;
        tag(panel, IndexOf(*panel, name), 1);
        expected.append(name == "-rf" ? "[./" : "[").append(name).append("]");  // in the panel's order
    }
    EXPECT_EQ(Words(Expand("!l", "*")), expected);
    EXPECT_EQ(panel->num_tagged, 0);
    EXPECT_TRUE(Find(*panel, "-rf")->done);
    EXPECT_EQ(Words(Expand("!l", "*")), "[*]");  // nothing tagged: the cursor name

    // Other panel, with directories.
    tag(panel_base + 1, IndexOf(panel_base[1], "o 2"), 1);
    EXPECT_EQ(Words(Expand("!L", "*")), "[" + other_.path() + "/o 2]");

    // Long names: the list ends before passing the limit, the rest stay tagged.
    CTempDir many;
    for (int i = 0; i < 40; i++) many.Write(std::string(40, 'n') + std::to_string(100 + i), "");
    SetUpPanel(*panel, many.path());
    read_panel(panel);
    tag_all(panel, 1, 0);
    std::string first = Expand("cp !l /dest", std::string(40, 'n') + "100");
    EXPECT_LE(first.size(), static_cast<size_t>(kMaxListCommand));
    const int left = panel->num_tagged;
    EXPECT_GT(left, 0);
    std::string second = Expand("cp !l /dest", std::string(40, 'n') + "100");
    EXPECT_EQ(panel->num_tagged, left - (static_cast<int>(second.size()) - 9) / 44);
}

TEST_F(SubstituteTest, VariablesComeFromTheTypedTextOnly) {
    SessionEnv.Set("X", "1");
    SessionEnv.Set("DIR", "/opt/x");
    EXPECT_EQ(Words(Expand("$X $dir/lib '$X' \\$X", "a b.txt")), "[1][/opt/x/lib][$X][$X]");
    // A name that looks like a variable stays a name.
    EXPECT_EQ(Words(Expand("!", "$HOME")), "[$HOME]");
    EXPECT_EQ(Words(Expand("$NOT_SET_ANYWHERE", "a b.txt")), "[]");  // left for the shell
}

TEST_F(SubstituteTest, PerFileMacroAndListFile) {
    int result = 0;
    EXPECT_EQ(Expand("gzip !t", "*", SUBST_FIRST_PASS, &result), "gzip !t");  // kept for the second pass
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Words(Expand("gzip !tx", "a b.txt", SUBST_RUN_FILE, &result)), "[gzip][a b]");
    EXPECT_EQ(result, 1);

    // !@ writes the quoted tagged names, one per line, to a private file.
    PANEL* panel = panel_base;
    for (const char* name : {"a b.txt", "it's"}) tag(panel, IndexOf(*panel, name), 1);
    std::string list = Words(Expand("!@", "*")).substr(1);
    list.pop_back();
    // The shell reads each line back as one name, in the panel's order.
    std::string names;
    for (const std::string& name : Tagged(*panel)) names += "[" + name + "]";
    EXPECT_EQ(ShellOutput("while IFS= read -r l; do eval printf '[%s]' \"$l\"; done < '" + list + "'"), names);
    struct stat status;
    ASSERT_EQ(stat(list.substr(0, list.rfind('/')).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);  // nobody else can plant or read files there
    EXPECT_NE(list.find(std::string("dv-").append(std::to_string(getpid())).append("-")), std::string::npos);
    CleanupTmpFiles();
    EXPECT_NE(access(list.c_str(), F_OK), 0);
}

TEST_F(SubstituteTest, TypedParametersAreAskedForFirstAndKeptAsTyped) {
    CUiTest ui;
    ui.Type("a $HOME !p");
    ui.Keys("Enter");
    std::string out;
    int result = ui.Run([&] {
        int r = 0;
        out = Expand("echo !i\"Which?\" !", "it's", SUBST_FIRST_PASS, &r);
        return r;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "echo a\\ \\$HOME\\ \\!!p !");
    // The second pass gives the answer back as typed, then the name.
    Westring second = DecodeFileName(out.c_str());
    ASSERT_EQ(pling_subst(second, nullptr, 0, SUBST_COMMAND_LINE), 0);
    EXPECT_EQ(Words(EncodeFileName(second).c_str()), "[echo][a $HOME !p][it's]");

    ui.Keys("Esc");
    EXPECT_EQ(ui.Run([&] {
        int r = 0;
        Expand("echo !i", "it's", SUBST_COMMAND_LINE, &r);
        return r;
    }), -1);
}

}  // namespace
