// The program running headless on a remote host, its console shown by a
// window elsewhere that talks to it over standard input and output.
#pragma once

// The switch that starts this mode (the program's name "vi-vizevu" does too).
constexpr const char* kRemoteEndSwitch = "--remote-end";

// Runs the whole program with the arguments (the switch, when given, is
// left out); the exit status, 1 when the window does not answer.
[[nodiscard]] int RunRemoteEnd(int argc, char** argv);
