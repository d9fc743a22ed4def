#pragma once

#include "RuntimeError.h"

#include <utility>

namespace platform {

// The exit status of a run ended by a run-time error.
constexpr int kRunTimeErrorExitStatus = 3;

// Ends the run for a run-time error: one line on stderr, then (when there is a
// screen to show it on) a modal box "Run-time error" with the number and the
// description, then the process ends with kRunTimeErrorExitStatus.
[[noreturn]] void reportRunTimeError(const RuntimeError& e);

// The text of the box and of the stderr line.
QString runTimeErrorText(const RuntimeError& e);

// Runs an event handler; a run-time error in it ends the run. No handler of
// the program traps errors, so every handler entry goes through here.
template <typename F> void runHandler(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const RuntimeError& e) {
        reportRunTimeError(e);
    }
}

} // namespace platform
