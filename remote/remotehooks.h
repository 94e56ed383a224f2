// Connects the remote layer to the application shell below it.
#pragma once

// Lets RunProgram start a remote session for -h HOST.
void InstallRemoteHooks();
