// Finding and opening the user menu's files. A menu file found in the
// panel's directory or above it may have been put there by anyone (an
// unpacked archive, a shared directory), and its commands run as soon as
// the user presses a key: it is used only when it belongs to the user (or
// root) and nobody else may write it. The same goes for the files such a
// menu includes.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <vector>

#include "lib/westring.h"
#include "tools/usermenuparse.h"

class CTextFile;

// Menu lines longer than this (in characters) are left out, reported.
constexpr int kMaxMenuLine = 8192;

// Why a menu file of status must not be used by user uid: "owned by
// another user", "writable by others" or "writable by group"; empty when
// it may be used.
Westring MenuFileDistrust(const struct stat& status, uid_t uid);

enum class MenuFileOpen {
    kOpened,
    kMissing,  // cannot be opened, or is no regular file
    kRefused,  // exists but must not be used; the reason is told
};

// Opens the menu file name with the text reader into text, its identity
// into id. With check_owner, a file another user owns or may write is
// refused and the message for the user goes to refusal.
[[nodiscard]] MenuFileOpen OpenMenuFile(const Westring& name, bool check_owner, std::unique_ptr<CTextFile>& text,
                                        MenuFileId& id, Westring& refusal);

// Reads the user menu into menu: with local, the first menu file of the
// global file's name that opens in start_dir or a directory above it;
// otherwise, or when none opens or one is refused, the global file. An
// empty menu when none opens at all.
void LoadUserMenu(const Westring& global_file, const Westring& start_dir, bool local, MenuStore& menu,
                  std::vector<MenuProblem>& problems);
