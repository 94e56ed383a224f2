// Sorting a million file names into the panel order, against std::sort with
// strcmp on the same names. Ours builds each name's sort key, as the panel
// does, and sorts the keys.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "lib/nls.h"
#include "lib/sortkey.h"
#include "lib/westring.h"

namespace {

constexpr int kNames = 1000000;

// Names that look like a real file system: words, numbers, case, extensions.
std::vector<std::string> make_names() {
    static const char* words[] = {"report", "Makefile", "image", "backup", "notes", "README", "data",
                                  "photo",  "config",   "test",  "_build", "src",   "Draft",  "video"};
    static const char* exts[] = {"", ".txt", ".c", ".h", ".jpg", ".tar.gz", ".md", ".PNG", ".o"};
    std::mt19937 rng(12345);
    std::vector<std::string> names;
    names.reserve(kNames);
    for (int i = 0; i < kNames; i++) {
        std::string name = words[rng() % 14];
        if (rng() % 2) {
            name += '_';
            name += std::to_string(rng() % 100000);
        }
        if (rng() % 3 == 0) name += words[rng() % 14];
        name += exts[rng() % 9];
        names.push_back(std::move(name));
    }
    return names;
}

// Puts the names in the order of nls_fname_cmp through their sort keys.
void sort_by_keys(std::vector<const wchar_t*>& order) {
    struct Keyed {
        CSortKeys::Key key;
        const wchar_t* name;
    };
    CSortKeys keys;
    keys.Reserve(order.size() * 24);
    std::vector<Keyed> list;
    list.reserve(order.size());
    for (const wchar_t* name : order) {
        CSortKeys::Key key;
        keys.Begin();
        keys.AddName(name);
        (void)keys.End(key);  // a million short names stay far below the keys' 4 GiB
        list.push_back({key, name});
    }
    std::sort(list.begin(), list.end(), [&keys](const Keyed& a, const Keyed& b) { return keys.Compare(a.key, b.key) < 0; });
    for (size_t i = 0; i < order.size(); i++) order[i] = list[i].name;
}

std::vector<const wchar_t*> unsorted(const std::vector<Westring>& wide) {
    std::vector<const wchar_t*> order;
    order.reserve(wide.size());
    for (const Westring& w : wide) order.push_back(w.c_str());
    return order;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> names = make_names();
    std::vector<Westring> wide;
    wide.reserve(names.size());
    for (const std::string& n : names) wide.emplace_back(n.c_str());
    // A faster wrong order would prove nothing.
    std::vector<const wchar_t*> check = unsorted(wide);
    sort_by_keys(check);
    for (size_t i = 1; i < check.size(); i++) {
        if (nls_fname_cmp(check[i - 1], check[i]) > 0) {
            std::fprintf(stderr, "fname_sort: the keys put names out of order at %zu\n", i);
            return 1;
        }
    }

    Comparison c;
    c.name = "fname_sort";
    c.tool = "std::sort+strcmp";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            std::vector<const wchar_t*> order = unsorted(wide);
            state.ResumeTiming();
            sort_by_keys(order);
            benchmark::DoNotOptimize(order.data());
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            std::vector<const char*> order;
            order.reserve(names.size());
            for (const std::string& n : names) order.push_back(n.c_str());
            state.ResumeTiming();
            std::sort(order.begin(), order.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
            benchmark::DoNotOptimize(order.data());
        }
    };
    return RunComparison(argc, argv, c);
}
