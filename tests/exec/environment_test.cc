// The environment chain and the substitution of variables in settings.
#include "exec/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "shell/config.h"
#include "tests/fileops/env_guard.h"

extern char** environ;

namespace {

// The program-wide environments are emptied around every test.
class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        SessionEnv.Clear();
        ConfEnv.Clear();
        Env.Load();
        config.PathAppend = Westring();
    }
};

// A block's strings as a map, checking its layout on the way.
std::map<std::string, std::string> Entries(const char* block) {
    std::map<std::string, std::string> out;
    for (const char* p = block; *p; p += std::strlen(p) + 1) {
        const char* equals = std::strchr(p, '=');
        EXPECT_NE(equals, nullptr) << p;
        if (!equals) continue;
        EXPECT_TRUE(out.emplace(std::string(p, equals), equals + 1).second) << "twice: " << p;
    }
    return out;
}

std::string Subst(const wchar_t* text) {
    Westring w(text);
    SubstEnvVars(w);
    return w.ToUTF8().c_str();
}

}  // namespace

TEST_F(EnvironmentTest, SetGetAndRemoveIgnoreCase) {
    Environment env;
    env.Set("Editor", "vi");
    ASSERT_NE(env.Get("EDITOR"), nullptr);
    EXPECT_STREQ(env.Get("editor"), "vi");
    env.Set("EDITOR", "emacs");  // the same variable
    ASSERT_EQ(env.count(), 1);
    EXPECT_STREQ(env.Get("Editor"), "emacs");
    EXPECT_STREQ(env.At(0)->key.c_str(), "Editor");  // the first spelling stays
    env.Set("editor", nullptr);
    EXPECT_EQ(env.Get("Editor"), nullptr);
    env.Set("", "x");
    env.Set(nullptr, "x");
    EXPECT_EQ(env.count(), 0);
    EXPECT_EQ(env.Get(nullptr), nullptr);
    env.Set("missing", nullptr);  // removing nothing is harmless
    EXPECT_EQ(env.count(), 0);
}

TEST_F(EnvironmentTest, LookupsGoThroughTheChain) {
    Environment root, middle(&root), top(&middle);
    root.Set("A", "root");
    root.Set("B", "root");
    middle.Set("b", "middle");
    top.Set("C", "top");
    for (auto [name, value] : {std::pair("a", "root"), {"B", "middle"}, {"C", "top"}})
        EXPECT_STREQ(top.Get(name), value) << name;
    EXPECT_EQ(middle.Get("C"), nullptr);  // never downwards
    middle.Set("B", nullptr);               // the parent's value shows through again
    EXPECT_STREQ(top.Get("B"), "root");
    top.SetParent(&top);                    // a loop is refused
    EXPECT_EQ(top.parent(), &middle);
    root.SetParent(&top);
    EXPECT_EQ(root.parent(), nullptr);
}

TEST_F(EnvironmentTest, BlockFlattensNearestFirstAndDropsEmptyValues) {
    Environment root, top(&root);
    root.Set("SHARED", "root");
    root.Set("ONLYROOT", "1");
    root.Set("GONE", "x");
    top.Set("shared", "top");
    top.Set("GONE", "");  // an empty value hides the variable from new processes
    EXPECT_EQ(Entries(top.Block()), (std::map<std::string, std::string>{{"SHARED", "top"}, {"ONLYROOT", "1"}}));

    // A change anywhere in the chain shows in the next block.
    root.Set("LATER", "yes");
    EXPECT_EQ(Entries(top.Block())["LATER"], "yes");

    EXPECT_EQ(Environment().Block()[0], 0);
}

TEST_F(EnvironmentTest, PathAppendExtendsPathWithoutAddingTheCurrentDirectory) {
    Environment env;
    env.Set("PATH", "/usr/bin:/bin");
    EXPECT_EQ(Entries(env.Block())["PATH"], "/usr/bin:/bin");  // no trailing ":"
    config.PathAppend = L"/opt/tools/bin";
    EXPECT_EQ(Entries(env.Block())["PATH"], "/usr/bin:/bin:/opt/tools/bin");
    env.Set("PATH", nullptr);
    EXPECT_EQ(Entries(env.Block())["PATH"], "/opt/tools/bin");  // no leading ":"
    EXPECT_EQ(env.Get("PATH"), nullptr);  // the block never changes the set itself
}

TEST_F(EnvironmentTest, ProcessEnvironmentSkipsNamelessEntries) {
    char a[] = "DV_A=1", nameless[] = "=junk", no_equals[] = "JUNK", empty[] = "DV_EMPTY=", dup[] = "dv_a=2";
    char* fake[] = {a, nameless, no_equals, empty, dup, nullptr};
    char** saved = environ;
    environ = fake;
    ProcessEnvironment env;
    environ = saved;
    EXPECT_EQ(env.count(), 2);
    EXPECT_STREQ(env.Get("DV_A"), "2");  // later entries win, as a shell would have it
    EXPECT_STREQ(env.Get("DV_EMPTY"), "");
}

TEST_F(EnvironmentTest, TheProgramChainStartsAtTheSession) {
    CEnvGuard guard("DV_TEST_CHAIN", "process");
    Env.Load();
    EXPECT_STREQ(SessionEnv.Get("DV_TEST_CHAIN"), "process");
    ConfEnv.Set("DV_TEST_CHAIN", "configured");
    EXPECT_STREQ(SessionEnv.Get("dv_test_chain"), "configured");
    SessionEnv.Set("DV_TEST_CHAIN", "session");
    EXPECT_STREQ(SessionEnv.Get("DV_TEST_CHAIN"), "session");
    EXPECT_EQ(Entries(SessionEnv.Block())["DV_TEST_CHAIN"], "session");
}

TEST_F(EnvironmentTest, SubstEnvVars) {
    CEnvGuard home("HOME", "/home/u");
    SessionEnv.Set("DIR", "/opt/x");
    SessionEnv.Set("EMPTY", "");
    SessionEnv.Set("WIDE", "caf\xc3\xa9");
    SessionEnv.Set("A", "$B");
    SessionEnv.Set("B", "oops");
    struct {
        const wchar_t* in;
        const char* out;
    } cases[] = {
        {L"~/bin", "/home/u/bin"}, {L"~", "~"}, {L"a~/b", "a~/b"},  // only "~/" at the very start
        {L"$DIR/lib", "/opt/x/lib"}, {L"$dir/lib", "/opt/x/lib"},   // names ignore case
        {L"$DIR$lib", "/opt/xlib"},       // a "$" ending a known name goes with it
        {L"$UNKNOWN_1/x", "/x"},          // unknown names give nothing
        {L"[$EMPTY$]", "[$]"},            // an empty value leaves the closing "$"
        {L"$DIR_X", ""},                  // "_" belongs to the name
        {L"cost $ 5", "cost $ 5"}, {L"$", "$"}, {L"$$", "$$"}, {L"$-x", "$-x"},  // "$" without a name stays
        {L"$WIDE!", "caf\xc3\xa9!"}, {L"~/$DIR", "/home/u//opt/x"}, {L"", ""},
        {L"$A", "$B"},                    // substituted values are not expanded again
    };
    for (const auto& c : cases) EXPECT_EQ(Subst(c.in), c.out) << Westring(c.in).ToUTF8().c_str();
}
