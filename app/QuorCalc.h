#pragma once
// The program's entry sequence: title, single-instance guard, main window, event loop.

// Runs the calculator; returns the process's exit status.
int QuorCalc(int argc, char** argv);
