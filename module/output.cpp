// Where a call's text goes: where std::cout goes.
//
// First Python's own streams are flushed (streams.cpp), so that text printed
// from Python comes before the call's. Then std::cout decides:
// - With no buffer, or in a failed state (failbit or badbit, someone else's
//   failed write included), nothing is written, as `std::cout << text` would
//   write nothing.
// - With the C++ runtime's own buffer for the standard output
//   (runtime_buffer.cpp), the text goes to fd 1 directly (fd1.cpp): the bytes
//   std::cout would bring there, in one atomic write, with signals and a
//   non-blocking stdout handled. A process that started without a standard
//   output (sys.__stdout__ is None) may have fd 1 open on a file of its own:
//   then nothing is written.
// - With any other buffer, an application's console or pybind11's
//   redirection, the text goes through std::cout whole, one write and then a
//   flush, with the interpreter lock held throughout, as a plain
//   `std::cout << text << std::flush` would send it.
// Only where the text goes follows std::cout: the digits are the module's own
// (lines.hpp), whatever precision, std::fixed or locale std::cout has.
#include "output.hpp"
#include "fd1.hpp"
#include "runtime_buffer.hpp"

#include <pybind11/pybind11.h>

#include <iostream>

namespace py = pybind11;

namespace calvune {

namespace {

// The failed state is std::cout's to keep; an exception that its mask asks
// for gives way to the call's own.
void mark_failed() {
    try {
        std::cout.setstate(std::ios::badbit);
    } catch (const std::ios_base::failure &) {
    }
}

// std::ostream's steps for std::cout.write(text) and std::cout.flush(), but
// for one: an exception from the buffer propagates, where std::ostream would
// turn it into badbit unless its mask asks for it. So Python sees the
// buffer's own error: a C++ exception as pybind11 translates it, a Python
// error (from pybind11's redirection to sys.stdout, KeyboardInterrupt
// included) as itself. A buffer that fails without an exception makes the
// call raise OSError, as print() raises when its write fails. Either way
// std::cout is left failed, and later calls write nothing until its state
// is cleared.
void write_through_cout(const Lines &lines) {
    const std::ostream::sentry ready(std::cout);
    if (!ready) {
        return;
    }
    std::streambuf &buffer = *std::cout.rdbuf();
    const auto size = static_cast<std::streamsize>(lines.size());
    bool written;
    try {
        written = buffer.sputn(lines.data(), size) == size && buffer.pubsync() != -1;
    } catch (...) {
        mark_failed();
        throw;
    }
    if (!written) {
        mark_failed();
        PyErr_SetString(PyExc_OSError, "std::cout's buffer did not take the text");
        throw py::error_already_set();
    }
}

} // namespace

void print(const Lines &lines, const std::weak_ptr<Streams> &streams) {
    if (lines.size() == 0) {
        return;
    }
    const bool has_stdout = flush_python_streams(streams);
    // Without a buffer std::cout is never good: C++ sets badbit then.
    if (!std::cout.good()) {
        return;
    }
    std::streambuf *buffer = std::cout.rdbuf();
    const CoutBuffer kind = kind_of(*buffer);
    if (kind == CoutBuffer::foreign) {
        write_through_cout(lines);
    } else if (has_stdout) {
        write_to_fd1(lines, kind == CoutBuffer::fd1 ? buffer : nullptr);
    }
}

} // namespace calvune
