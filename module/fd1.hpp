// The direct path: a call's text written to file descriptor 1 in one write.
#pragma once

#include "lines.hpp"

#include <streambuf>

namespace calvune {

// Brings out what std::cout's own buffer on fd 1 (or null, where its buffer
// is the runtime's on C's stdout) and C stdio hold, then writes the text to
// fd 1. Raises (as pybind11's error_already_set) what print() would raise:
// OSError for a failed write, flush or sync, and whatever a signal handler
// raises while the write waits.
void write_to_fd1(const Lines &lines, std::streambuf *own_buffer);

} // namespace calvune
