// Whether a buffer of std::cout is the C++ runtime's own for the process's
// standard output, which a call may then bypass by writing fd 1 itself.
#pragma once

#include <streambuf>

namespace calvune {

enum class CoutBuffer {
    // An application's or another library's (a console, pybind11's
    // redirection to sys.stdout), or the runtime's for another file: the
    // text must go through std::cout.
    foreign,
    // The runtime's own, writing through C's stdout: fflush(stdout) is its
    // sync.
    stdio,
    // The runtime's own with a buffer of its own on fd 1 (libstdc++ after
    // std::ios::sync_with_stdio(false)): C stdio is flushed apart, and the
    // buffer is not safe for two threads at once.
    fd1,
};

// What the buffer is, now: where it writes is read on every call, since a
// buffer may be built anew at the same address on another file. Where unsure
// it answers foreign: taking the runtime's buffer for a foreign one costs only
// speed, while the reverse would send an application's lines to fd 1. Called
// with the interpreter lock held.
CoutBuffer kind_of(std::streambuf &buffer);

} // namespace calvune
