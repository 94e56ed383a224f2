// The environment chain and the substitution of variables in settings.
#include "exec/environment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "config/config.h"
#include "tests/support/env_guard.h"

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

TEST_F(EnvironmentTest, LookupsTellCaseApartAndGoThroughTheChain) {
    Environment root, middle(&root), top(&middle);
    root.Set("A", "root");
    root.Set("B", "root");
    middle.Set("b", "middle");
    top.Set("C", "top");
    for (auto [name, value] : {std::pair("A", "root"), {"B", "root"}, {"b", "middle"}, {"C", "top"}})
        EXPECT_STREQ(top.Get(name), value) << name;
    EXPECT_EQ(top.Get("a"), nullptr);
    EXPECT_STREQ(top.GetAnyCase("a"), "root");   // no exact name: any case will do
    EXPECT_STREQ(top.GetAnyCase("b"), "middle");  // the exact name wins over a nearer one
    // Both spellings of a proxy setting reach a command.
    top.Set("http_proxy", "lower");
    top.Set("HTTP_PROXY", "upper");
    std::map<std::string, std::string> block = Entries(top.Block());
    EXPECT_EQ(block["http_proxy"], "lower");
    EXPECT_EQ(block["HTTP_PROXY"], "upper");
    EXPECT_EQ(middle.Get("C"), nullptr);  // never downwards
    middle.Set("B", nullptr);               // the parent's value shows through again
    EXPECT_STREQ(top.Get("B"), "root");
    top.Set("", "x");
    top.Set(nullptr, "x");
    EXPECT_EQ(top.count(), 3);
    top.SetParent(&top);                    // a loop is refused
    EXPECT_EQ(top.parent(), &middle);
    root.SetParent(&top);
    EXPECT_EQ(root.parent(), nullptr);
}

TEST_F(EnvironmentTest, BlockFlattensNearestFirstAndAppendsToPath) {
    Environment root, top(&root);
    root.Set("SHARED", "root");
    root.Set("PATH", "/usr/bin:/bin");
    root.Set("GONE", "x");
    top.Set("SHARED", "top");
    top.Set("GONE", "");  // an empty value hides the variable from new processes
    EXPECT_EQ(Entries(top.Block()), (std::map<std::string, std::string>{{"SHARED", "top"}, {"PATH", "/usr/bin:/bin"}}));

    config.PathAppend = L"/opt/tools/bin";
    EXPECT_EQ(Entries(top.Block())["PATH"], "/usr/bin:/bin:/opt/tools/bin");
    root.Set("PATH", nullptr);
    EXPECT_EQ(Entries(top.Block())["PATH"], "/opt/tools/bin");  // no leading ":"
    EXPECT_EQ(top.Get("PATH"), nullptr);  // the block never changes the set itself
}

TEST_F(EnvironmentTest, ProcessEnvironmentSkipsNamelessEntries) {
    char a[] = "DV_A=1", nameless[] = "=junk", no_equals[] = "JUNK", empty[] = "DV_EMPTY=", dup[] = "dv_a=2";
    char* fake[] = {a, nameless, no_equals, empty, dup, nullptr};
    char** saved = environ;
    environ = fake;
    ProcessEnvironment env;
    environ = saved;
    EXPECT_EQ(env.count(), 3);
    EXPECT_STREQ(env.Get("DV_A"), "1");  // names differing in case are different variables
    EXPECT_STREQ(env.Get("dv_a"), "2");
    EXPECT_STREQ(env.Get("DV_EMPTY"), "");
}

TEST_F(EnvironmentTest, ConfiguredValuesOverrideTheProcessAndAreSubstituted) {
    CEnvGuard guard("DV_TEST_CHAIN", "process");
    CEnvGuard home("HOME", "/home/u");
    Env.Load();
    EXPECT_STREQ(SessionEnv.Get("DV_TEST_CHAIN"), "process");
    ConfEnv.Set("DV_TEST_CHAIN", "configured");
    EXPECT_EQ(Entries(SessionEnv.Block())["DV_TEST_CHAIN"], "configured");

    SessionEnv.Set("DIR", "/opt/x");
    SessionEnv.Set("EMPTY", "");
    SessionEnv.Set("A", "$B");
    struct {
        const wchar_t* in;
        const char* out;
    } cases[] = {
        {L"~/bin", "/home/u/bin"}, {L"a~/b", "a~/b"},               // only "~/" at the very start
        {L"$dir/lib", "/opt/x/lib"}, {L"$DIR$lib", "/opt/xlib"},    // a "$" ending a known name goes with it
        {L"$UNKNOWN_1/x", "/x"}, {L"[$EMPTY$]", "[$]"},
        {L"cost $ 5", "cost $ 5"}, {L"$", "$"}, {L"$$", "$$"},     // "$" without a name stays
        {L"$A", "$B"},                                              // values are not expanded again
    };
    for (const auto& c : cases) EXPECT_EQ(Subst(c.in), c.out) << Westring(c.in).ToUTF8().c_str();
}
