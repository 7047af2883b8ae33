#pragma once
// The shell's forms keep its process alive: once Main has returned, the message loop runs
// while a form is loaded, and the process ends when the last one is gone.
namespace glowmere {

void FormLoaded();
void FormGone();

// Runs until the last form is gone (at once when none is loaded); the exit code.
int RunFormsMessageLoop();

}  // namespace glowmere
