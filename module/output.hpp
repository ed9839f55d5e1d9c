// How a call's text reaches the process's standard output.
#pragma once

#include "lines.hpp"
#include "streams.hpp"

namespace calvune {

// Writes a call's text to file descriptor 1, after the interpreter's streams.
// Raises (as pybind11's error_already_set) what print() would raise: OSError
// for a failed write, and whatever a signal handler raises while the write
// waits.
void print(const Lines &lines, const std::weak_ptr<Streams> &streams);

} // namespace calvune
