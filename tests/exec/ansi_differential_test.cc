// The terminal emulator against tmux: output recorded from real programs
// (tests/data/terminal, made by record.sh there) is shown by both on an
// 80x25 screen, and the text of the screens must agree cell for cell.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/cells.h"
#include "exec/ansiterminal.h"
#include "tests/support/uitest.h"

namespace {

constexpr int kColumns = 80, kRows = 25;

std::string DataFile(const std::string& name) { return std::string(DV_TEST_DATA_DIR) + "/terminal/" + name; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// What a shell command writes on its standard output.
std::string Capture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    (void)pclose(pipe);
    return out;
}

std::string TemporaryDirectory() {
    const char* base = getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

// Runs a shell command whose failure shows later, in what the test compares.
void Shell(const std::string& command) {
    if (system(command.c_str()) != 0) return;
}

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') quoted.append("'\\''");
        else quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

// A tmux server of the test's own, on a private socket, ended with the test.
class TmuxServer {
public:
    TmuxServer() : socket_("dvtest-" + std::to_string(getpid())) {
        config_ = std::string(TemporaryDirectory()) + "/" + socket_ + ".conf";
        std::ofstream(config_) << "set -g status off\n";
    }
    ~TmuxServer() {
        Shell(Tmux() + " kill-server >/dev/null 2>&1");
        (void)remove(config_.c_str());
    }

    // The screen of a window that shows the file's bytes as they are, one
    // string per row: its terminal neither turns line feeds into CR LF nor
    // echoes the answers tmux gives to the program's queries.
    std::vector<std::string> Show(const std::string& file) {
        const std::string session = "s" + std::to_string(++sessions_);
        const std::string done = session + "-done";
        const std::string inner = "stty -opost -echo; cat " + Quoted(file) + "; " + Tmux() + " wait-for -S " + done + "; sleep 100";
        Shell(Tmux() + " new-session -d -x " + std::to_string(kColumns) + " -y " + std::to_string(kRows) + " -s " + session +
              " " + Quoted(inner));
        Shell("timeout 20 " + Tmux() + " wait-for " + done);
        std::string text = Capture(Tmux() + " capture-pane -p -t " + session);
        Shell(Tmux() + " kill-session -t " + session + " >/dev/null 2>&1");
        std::vector<std::string> rows;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) rows.push_back(line);
        return rows;
    }

private:
    std::string Tmux() const { return "env LC_ALL=C.UTF-8 tmux -u -L " + socket_ + " -f " + Quoted(config_); }

    std::string socket_;
    std::string config_;
    int sessions_ = 0;
};

// tmux keeps a line-drawing cell as the letter that chose it, and writes a
// combining mark apart from its character: both screens are compared as
// the cells that text lays out into, line drawing as its letters.
std::string Comparable(const std::string& row) {
    static const char* const line_drawing[][2] = {
        {"\u250C", "l"}, {"\u2500", "q"}, {"\u2510", "k"}, {"\u2502", "x"}, {"\u2514", "m"}, {"\u2518", "j"},
        {"\u251C", "t"}, {"\u2524", "u"}, {"\u252C", "w"}, {"\u2534", "v"}, {"\u253C", "n"},
    };
    const CellString cells(row.c_str(), 0x07);
    std::string text = CellsText(cells.cells(), cells.length());
    for (const auto& pair : line_drawing)
        for (size_t at; (at = text.find(pair[0])) != std::string::npos;) text.replace(at, std::string(pair[0]).size(), pair[1]);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::vector<std::string> Comparable(const std::vector<std::string>& rows) {
    std::vector<std::string> out;
    for (const std::string& row : rows) out.push_back(Comparable(row));
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

std::string Framed(const std::vector<std::string>& rows) {
    std::string out;
    for (size_t i = 0; i < rows.size(); i++) out += std::to_string(i) + "|" + rows[i] + "|\n";
    return out;
}

class AnsiDifferentialTest : public testing::TestWithParam<const char*> {};

TEST_P(AnsiDifferentialTest, ScreenMatchesTmux) {
    if (system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    const std::string file = DataFile(GetParam());
    const std::string bytes = ReadFile(file);
    ASSERT_FALSE(bytes.empty()) << file;

    TmuxServer tmux;
    const std::vector<std::string> theirs = Comparable(tmux.Show(file));
    ASSERT_FALSE(theirs.empty()) << "tmux showed nothing";

    // Ours, with the bytes in three chunks that cut sequences where they fall.
    CUiTest ui(kColumns, kRows);
    CAnsiTerminalEmulator terminal(ui.Console(), nullptr);
    terminal.Output("\x1b[H\x1b[2J");
    const size_t third = bytes.size() / 3;
    terminal.WriteOutput(bytes.data(), third);
    terminal.WriteOutput(bytes.data() + third, third);
    terminal.WriteOutput(bytes.data() + 2 * third, bytes.size() - 2 * third);
    std::vector<std::string> rows;
    for (int y = 0; y < kRows; y++) rows.push_back(ui.Line(y));
    const std::vector<std::string> ours = Comparable(rows);

    EXPECT_EQ(Framed(ours), Framed(theirs));
}

INSTANTIATE_TEST_SUITE_P(RecordedPrograms, AnsiDifferentialTest,
                         testing::Values("ls.bin", "sgr.bin", "top.bin", "bash.bin", "vim.bin", "vim-scroll.bin", "less.bin",
                                         "less-keys.bin", "wide.bin"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
