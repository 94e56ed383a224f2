// Environments: sets of name = value pairs chained to a parent. Names are
// told apart by case, as Unix programs tell them (http_proxy is not
// HTTP_PROXY). The process's own environment (Env) is the root; the
// configuration file's [Environment] section (ConfEnv) sits above it and the
// set command's variables (SessionEnv) above that. Lookups start at
// SessionEnv, so nearer settings win.
#pragma once

#include <memory>

#include "lib/estring.h"
#include "lib/sortedcollection.h"
#include "lib/westring.h"

struct KeyedValue {
    Estring key;
    Estring value;
};

// KeyedValue records in the order of their keys, compared ignoring case.
// Environment compares them exactly.
class KeyedValueSet : public TSortedCollection<KeyedValue, char> {
public:
    const char* KeyFromItem(const KeyedValue* item) const override { return item->key.c_str(); }
    int compare(const char* a, const char* b) const override;
};

class Environment : public KeyedValueSet {
public:
    explicit Environment(Environment* parent = nullptr) : parent_(parent) {}

    int compare(const char* a, const char* b) const override;

    Environment* parent() const { return parent_; }
    void SetParent(Environment* parent);

    // Sets key to value here; a null value removes key from this environment
    // (a parent's value then shows through). An empty key is ignored. An
    // existing key keeps its spelling.
    void Set(const char* key, const char* value);
    // The value of key here, else in the parent chain; null when absent.
    const char* Get(const char* key) const;
    // As Get; when no name in the chain is key exactly, the nearest one that
    // differs from it only in case. The command line's $name references
    // look up this way, so that $path finds PATH.
    const char* GetAnyCase(const char* key) const;
    // Empties this environment (the parents stay as they are).
    void Clear();

    // Copies the whole chain into into, parents first, so that nearer
    // entries win.
    void Flatten(Environment& into) const;
    // The chain flattened into one block of "name=value" strings, each ended
    // by a NUL, with a final NUL: what a new process receives. PATH gets the
    // PathAppend setting appended; entries with empty values are left out.
    // The block belongs to this environment and stays valid until the next
    // change or the next call.
    const char* Block();

private:
    void Discard() { block_.reset(); }

    Environment* parent_;
    std::unique_ptr<char[]> block_;
};

// The environment this process was started with.
class ProcessEnvironment : public Environment {
public:
    ProcessEnvironment() { Load(); }
    // Fills the set from the process environment again; entries without a
    // name are skipped.
    void Load();
};

extern ProcessEnvironment Env;
extern Environment ConfEnv;     // the [Environment] section of the configuration file
extern Environment SessionEnv;  // the set command; lookups start here

// Substitutes the environment in text: "~/" at the start becomes HOME and
// "/"; each "$" followed by letters, digits or "_" is replaced by that
// variable's value from SessionEnv (GetAnyCase; empty when unknown); when the value is
// not empty and the name is followed by "$", that "$" goes too.
void SubstEnvVars(Westring& text);
