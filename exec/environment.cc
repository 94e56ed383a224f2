#include "exec/environment.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "config/config.h"
#include "lib/fsname.h"

extern char** environ;

ProcessEnvironment Env;
Environment ConfEnv(&Env);
Environment SessionEnv(&ConfEnv);

int KeyedValueSet::compare(const char* a, const char* b) const { return strcasecmp(a, b); }

int Environment::compare(const char* a, const char* b) const { return std::strcmp(a, b); }

void Environment::SetParent(Environment* parent) {
    // A chain that loops back to this environment would make lookups endless.
    for (Environment* p = parent; p; p = p->parent_)
        if (p == this) return;
    parent_ = parent;
    Discard();
}

void Environment::Set(const char* key, const char* value) {
    if (!key || !*key) return;
    Discard();
    KeyedValue* found = FindItem(key);
    if (!value) {
        if (found) DestroyCurrent();
        return;
    }
    if (found) {
        found->value = value;
        return;
    }
    KeyedValue* item = new KeyedValue{key, value};
    if (AddItem(item) != 0) delete item;
}

const char* Environment::Get(const char* key) const {
    if (!key) return nullptr;
    for (const Environment* env = this; env; env = env->parent_) {
        int position;
        if (env->FindPosition(position, key) == 0) return env->At(position)->value.c_str();
    }
    return nullptr;
}

const char* Environment::GetAnyCase(const char* key) const {
    if (const char* exact = Get(key)) return exact;
    if (!key) return nullptr;
    for (const Environment* env = this; env; env = env->parent_)
        for (int i = 0; i < env->count(); i++)
            if (strcasecmp(env->At(i)->key.c_str(), key) == 0) return env->At(i)->value.c_str();
    return nullptr;
}

void Environment::Clear() {
    DestroyAll();
    Discard();
}

void Environment::Flatten(Environment& into) const {
    if (parent_) parent_->Flatten(into);
    for (int i = 0; i < count(); i++) {
        const KeyedValue* item = At(i);
        into.Set(item->key.c_str(), item->value.c_str());
    }
}

const char* Environment::Block() {
    // The parents may have changed since the last call, so the block is
    // always built afresh.
    Environment flat;
    Flatten(flat);

    // An empty element in PATH means the current directory: only a non-empty
    // extension is appended, and never with a separator of its own.
    Estring append = config.PathAppend.ToUTF8();
    if (!append.empty()) {
        const char* path = flat.Get("PATH");
        Estring joined = path && *path ? Estring(path) + ":" + append : append;
        flat.Set("PATH", joined.c_str());
    }

    size_t size = 1;
    for (int i = 0; i < flat.count(); i++) {
        const KeyedValue* item = flat.At(i);
        if (!item->value.empty()) size += item->key.strlen() + 1 + item->value.strlen() + 1;
    }
    block_ = std::make_unique<char[]>(size);
    char* out = block_.get();
    for (int i = 0; i < flat.count(); i++) {
        const KeyedValue* item = flat.At(i);
        if (item->value.empty()) continue;
        size_t key_length = item->key.strlen(), value_length = item->value.strlen();
        std::memcpy(out, item->key.c_str(), key_length);
        out += key_length;
        *out++ = '=';
        std::memcpy(out, item->value.c_str(), value_length);
        out += value_length;
        *out++ = 0;
    }
    *out = 0;
    return block_.get();
}

void ProcessEnvironment::Load() {
    Clear();
    if (!environ) return;
    for (char** entry = environ; *entry; entry++) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals || equals == *entry) continue;  // no name
        Estring key(*entry, static_cast<int>(equals - *entry));
        Set(key.c_str(), equals + 1);
    }
}

static bool is_name_char(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}

void SubstEnvVars(Westring& text) {
    Westring out;
    const wchar_t* p = text.c_str();
    if (p[0] == L'~' && p[1] == L'/') {
        out = DecodeFileName(std::getenv("HOME"));
        out += L'/';
        p += 2;
    }
    while (*p) {
        if (*p != L'$' || !is_name_char(p[1])) {
            out += *p++;
            continue;
        }
        const wchar_t* name = ++p;
        while (is_name_char(*p)) p++;
        Estring key = Westring(name, static_cast<int>(p - name)).ToUTF8();
        const char* value = SessionEnv.GetAnyCase(key.c_str());
        if (value && *value) {
            out += DecodeFileName(value);
            if (*p == L'$') p++;
        }
    }
    text = out;
}
