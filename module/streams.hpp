// Python's own standard output streams, as a call's output sees them.
#pragma once

namespace calvune {

// Makes the calling interpreter's state; the module body calls it, so that a
// failure shows at import.
void prepare_streams();

// Flushes sys.__stdout__ and sys.stdout where they write to fd 1, unless the
// interpreter has already released its state at its end. Returns false when
// the process has no standard output (sys.__stdout__ is None, now or when the
// module was imported). Raises (as
// pybind11's error_already_set) an OSError from a flush, and what is not an
// Exception.
bool flush_python_streams();

} // namespace calvune
