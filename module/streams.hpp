// Python's own standard output streams, as a call's output sees them.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>

namespace calvune {

// What one interpreter remembers of its streams; it owns them (streams.cpp).
class Streams;

// Makes the calling interpreter's Streams; the module body calls it, so that a
// failure shows at import, and its functions keep the weak pointer.
std::weak_ptr<Streams> prepare_streams();

// Flushes sys.__stdout__ and sys.stdout where they write to fd 1, unless the
// interpreter has already released its Streams at its end. Returns false when
// the process has no standard output (sys.__stdout__ is None, now or when the
// module was imported). Raises (as pybind11's error_already_set) an OSError
// from a flush, and what is not an Exception.
bool flush_python_streams(const std::weak_ptr<Streams> &streams);

} // namespace calvune
