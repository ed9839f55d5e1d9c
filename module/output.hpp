// Where a call's text goes: where std::cout goes.
#pragma once

#include "lines.hpp"
#include "streams.hpp"

namespace calvune {

// Writes a call's text where std::cout writes, after the interpreter's own
// streams. Raises (as pybind11's error_already_set) what print() would raise
// on the direct path, and on the path through std::cout what its buffer
// raises, or OSError when the buffer fails.
void print(const Lines &lines, const std::weak_ptr<Streams> &streams);

} // namespace calvune
