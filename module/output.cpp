// How every call's text reaches file descriptor 1.
//
// A call's text goes to file descriptor 1 in one write(2) of at most
// Lines::capacity bytes, so that it is atomic on a pipe: the lines of threads
// and processes sharing one never interleave within a call, however C stdio
// is buffered.
//
// Order. Text that Python or other C++ code wrote before the call comes out
// first: Python's streams are flushed (see streams.cpp), and then std::cout
// (and with it C stdio).
//
// Delivery. The write continues after a partial write; after EINTR it runs
// Python's signal handlers and retries unless one raised; after EAGAIN (a
// non-blocking stdout) it polls until fd 1 is writable and retries; any other
// error raises OSError as print() does (BrokenPipeError for EPIPE). The
// interpreter lock is released around the write and the poll only: a reader
// that needs the lock (a kernel's thread draining a pipe on fd 1) can then
// drain, and other threads run while stdout is blocked.
//
// A process that started without a standard output (sys.__stdout__ is None)
// may have fd 1 open on a file of its own: nothing is written then.
#include "output.hpp"

#include <pybind11/pybind11.h>

#include <cerrno>
#include <iostream>

#ifdef _WIN32
#include "invalid_parameter.hpp"

#include <io.h>
#else
#include <climits>
#include <poll.h>
#include <unistd.h>

// POSIX makes a write of at most PIPE_BUF bytes to a pipe atomic, and every
// system's PIPE_BUF is at least this.
static_assert(calvune::Lines::capacity <= _POSIX_PIPE_BUF,
              "a call's text must be one atomic write");
#endif

namespace py = pybind11;

namespace calvune {

namespace {

[[noreturn]] void raise_os_error(int error) {
    errno = error;
    PyErr_SetFromErrno(PyExc_OSError);
    throw py::error_already_set();
}

void run_signal_handlers() {
    if (PyErr_CheckSignals() != 0) {
        throw py::error_already_set();
    }
}

#ifndef _WIN32
void wait_until_writable() {
    pollfd fd1{1, POLLOUT, 0};
    int ready;
    int error;
    Py_BEGIN_ALLOW_THREADS;
    ready = poll(&fd1, 1, -1);
    error = errno;
    Py_END_ALLOW_THREADS;
    if (ready < 0 && error != EINTR) {
        raise_os_error(error);
    }
    run_signal_handlers();
}
#endif

void write_to_fd1(const char *text, std::size_t size) {
    bool first = true;
    while (size > 0) {
        long written;
        int error;
        Py_BEGIN_ALLOW_THREADS;
#ifdef _WIN32
        const InvalidParameterIgnored guard;
#endif
        if (first) {
            std::cout.rdbuf()->pubsync();
        }
#ifdef _WIN32
        written = _write(1, text, static_cast<unsigned>(size));
#else
        written = static_cast<long>(::write(1, text, size));
#endif
        error = errno;
        Py_END_ALLOW_THREADS;
        first = false;
        if (written >= 0) {
            text += written;
            size -= static_cast<std::size_t>(written);
        } else if (error == EINTR) {
            run_signal_handlers();
#ifndef _WIN32
        } else if (error == EAGAIN || error == EWOULDBLOCK) {
            wait_until_writable();
#endif
        } else {
            raise_os_error(error);
        }
    }
}

} // namespace

void print(const Lines &lines, const std::weak_ptr<Streams> &streams) {
    if (lines.size() == 0) {
        return;
    }
    if (!flush_python_streams(streams)) {
        return;
    }
    write_to_fd1(lines.data(), lines.size());
}

} // namespace calvune
