// The direct path: a call's text written to file descriptor 1 in one write.
#pragma once

#include "lines.hpp"
#include "runtime_buffer.hpp"

namespace calvune {

// Brings out what the runtime's std::cout buffer (of the kind given) and C
// stdio hold, then writes the text to fd 1. Raises (as pybind11's
// error_already_set) what print() would raise: OSError for a failed write,
// and whatever a signal handler raises while the write waits.
void write_to_fd1(const Lines &lines, std::streambuf &runtime_buffer, CoutBuffer kind);

} // namespace calvune
