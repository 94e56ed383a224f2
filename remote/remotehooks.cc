#include "remote/remotehooks.h"

#include "remote/runremote.h"
#include "shell/startup.h"

namespace {

bool RunRemoteSession(const Estring& host) { return RunRemote(host); }

}  // namespace

void InstallRemoteHooks() { remote_session_hook = RunRemoteSession; }
