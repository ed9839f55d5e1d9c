// The direct path: how a call's text reaches file descriptor 1 when
// std::cout's buffer is the C++ runtime's own for it (output.cpp decides).
//
// A call's text goes to file descriptor 1 in one write(2) of at most
// Lines::capacity bytes, so that it is atomic on a pipe: the lines of threads
// and processes sharing one never interleave within a call, however C stdio
// is buffered.
//
// Order. Text that other C++ or C code wrote before the call comes out
// first: std::cout's own buffer on fd 1 is synced, and C stdio flushed,
// before the write (Python's streams were flushed before that, by
// output.cpp), so printf text comes first also after
// std::ios::sync_with_stdio(false). The runtime's buffer on C's stdout holds
// nothing of its own, so flushing stdio brings out its text too. C stdio
// drops what a full non-blocking stdout refuses, so where it holds text the
// call first waits until fd 1 is writable; should the flush or the sync still
// fail, the call raises OSError (BlockingIOError for EAGAIN) instead of
// writing its own text after text that was lost.
//
// Delivery. The write continues after a partial write; after EINTR it runs
// Python's signal handlers and retries unless one raised; after EAGAIN (a
// non-blocking stdout) it polls until fd 1 is writable and retries; any other
// error raises OSError as print() does (BrokenPipeError for EPIPE).
//
// The lock. It is released around stdio's flush, the write and the poll: a
// reader that needs the lock (a kernel's thread draining a pipe on fd 1) can
// then drain, and other threads run while stdout is blocked. Meanwhile
// another thread may replace std::cout's buffer and delete the old one, so
// nothing the lock guards is touched while it is released: only fd 1 and C's
// stdout, which live as long as the process.
#include "fd1.hpp"

#include <pybind11/pybind11.h>

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include "invalid_parameter.hpp"

#include <io.h>
#else
#include <climits>
#include <poll.h>
#include <unistd.h>
#if __has_include(<stdio_ext.h>)
#include <stdio_ext.h>
#endif

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
    for (;;) {
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
        if (ready > 0) {
            return;
        }
    }
}
#endif

// Whether C stdio is to be flushed. glibc and musl tell whether it holds text
// for stdout: then it is, once fd 1 is writable, and otherwise not. Elsewhere
// it is flushed on every call.
#if !defined(_WIN32) && __has_include(<stdio_ext.h>)
bool stdio_to_flush() {
    if (__fpending(stdout) == 0) {
        return false;
    }
    wait_until_writable();
    return true;
}
#else
bool stdio_to_flush() { return true; }
#endif

} // namespace

void write_to_fd1(const Lines &lines, std::streambuf *own_buffer) {
    if (own_buffer != nullptr) {
        errno = 0;
        if (own_buffer->pubsync() == -1) {
            raise_os_error(errno != 0 ? errno : EIO);
        }
    }
    bool flush_stdio = stdio_to_flush();
    const char *text = lines.data();
    std::size_t size = lines.size();
    while (size > 0) {
        bool stdio_failed;
        long written = -1;
        int error;
        Py_BEGIN_ALLOW_THREADS;
#ifdef _WIN32
        const InvalidParameterIgnored guard;
#endif
        stdio_failed = flush_stdio && std::fflush(stdout) != 0;
        if (!stdio_failed) {
#ifdef _WIN32
            written = _write(1, text, static_cast<unsigned>(size));
#else
            written = static_cast<long>(::write(1, text, size));
#endif
        }
        error = errno;
        Py_END_ALLOW_THREADS;
        flush_stdio = false;
        if (written >= 0) {
            text += written;
            size -= static_cast<std::size_t>(written);
        } else if (error == EINTR && !stdio_failed) {
            run_signal_handlers();
#ifndef _WIN32
        } else if ((error == EAGAIN || error == EWOULDBLOCK) && !stdio_failed) {
            wait_until_writable();
#endif
        } else {
            raise_os_error(error);
        }
    }
}

} // namespace calvune
