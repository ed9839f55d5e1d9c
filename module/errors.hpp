// The module's one rule for a pending Python error it does not raise: an
// Exception is cleared, and what is not an Exception (KeyboardInterrupt,
// SystemExit) propagates.
#pragma once

#include <pybind11/pybind11.h>

namespace calvune {

// Clears the pending error if it is an Exception, else raises it (as
// pybind11's error_already_set).
inline void clear_exception() {
    if (!PyErr_ExceptionMatches(PyExc_Exception)) {
        throw pybind11::error_already_set();
    }
    PyErr_Clear();
}

} // namespace calvune
