#include "tools/symlinktarget.h"

#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "lib/pathparts.h"

namespace {

// dir with every symbolic link in it resolved. A directory that cannot be
// resolved (it does not exist yet, or is not searchable) keeps its lexical
// form, which is the best that can be said of it.
Westring real_directory(const Westring& dir) {
    std::unique_ptr<char, void (*)(void*)> real(realpath(EncodeFileName(dir).c_str(), nullptr), free);
    if (real) return DecodeFileName(real.get());
    Westring lexical = dir;
    if (ResolvePath(lexical, L"/") != 0) return dir;
    return lexical;
}

}  // namespace

Westring relative_link_target(const Westring& link, const Westring& target) {
    const CPathParts from(real_directory(dir_part(link)));
    const Westring name = last_component(target);
    Westring real_target = real_directory(dir_part(target));
    if (!name.empty()) real_target = join_path(real_target, name);
    const CPathParts to(real_target);

    const int common = from.Common(to);
    Westring relative;
    auto append = [&relative](const Westring& part) {
        if (!relative.empty()) relative += L'/';
        relative += part;
    };
    for (int i = common; i < from.count(); i++) append(Westring(L".."));
    for (int i = common; i < to.count(); i++) append(*to[i]);
    return relative.empty() ? Westring(L".") : relative;
}

int CreateSymLink(const Westring& link, const Westring& target) {
    if (symlink(EncodeFileName(target).c_str(), EncodeFileName(link).c_str()) == 0) return 0;
    return errno;
}
