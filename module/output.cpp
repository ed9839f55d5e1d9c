// The output policy of every call, in one place.
//
// A call's text goes to file descriptor 1 in one write(2) of at most 64
// bytes, so that it is atomic on a pipe: the lines of threads and processes
// sharing one never interleave within a call, however C stdio is buffered.
//
// Order. Text that Python or other C++ code wrote before the call comes out
// first: each of sys.stdout and sys.__stdout__ whose fileno() is 1 is flushed,
// and then std::cout (and with it C stdio). Whether an object writes to fd 1 is
// decided once per object; a stream that writes elsewhere (a notebook kernel's,
// a StringIO under redirect_stdout) is not flushed, since its text cannot come
// before ours anyway, and flushing a kernel's stream waits on its I/O thread.
// An Exception from fileno() or flush() is the stream's own and is cleared;
// anything else (KeyboardInterrupt, SystemExit from a signal handler) is the
// program's and the call raises it, having written nothing.
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
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace py = pybind11;

namespace calvune {

namespace {

// Set once by prepare_output. The module refuses subinterpreters, so one
// interpreter owns them; they are deliberately never released.
PyObject *sys_dict;
PyObject *stdout_name;
PyObject *original_stdout_name;
PyObject *fileno_name;
PyObject *flush_name;

// A Python stream as last seen, with whether it writes to fd 1. The reference
// keeps the object alive, so a new stream can never reuse its address and be
// mistaken for it.
struct Stream {
    PyObject *object = nullptr;
    bool on_fd1 = false;
};

Stream current_stdout;
Stream original_stdout;

void clear_unless_fatal() {
    if (!PyErr_ExceptionMatches(PyExc_Exception)) {
        throw py::error_already_set();
    }
    PyErr_Clear();
}

bool writes_to_fd1(PyObject *object) {
    if (object == Py_None) {
        return false;
    }
    PyObject *fd = PyObject_CallMethodNoArgs(object, fileno_name);
    if (fd == nullptr) {
        clear_unless_fatal();
        return false;
    }
    const long value = PyLong_Check(fd) ? PyLong_AsLong(fd) : 0;
    Py_DECREF(fd);
    if (value == -1 && PyErr_Occurred()) {
        clear_unless_fatal();
        return false;
    }
    return value == 1;
}

// sys.<name> as a borrowed reference, or nullptr where it is missing.
PyObject *sys_attribute(PyObject *name) {
    PyObject *object = PyDict_GetItemWithError(sys_dict, name);
    if (object == nullptr) {
        PyErr_Clear();
    }
    return object;
}

void update(Stream &stream, PyObject *name) {
    PyObject *object = sys_attribute(name);
    if (object == stream.object) {
        return;
    }
    bool on_fd1 = false;
    if (object != nullptr) {
        // fileno() may run code that rebinds the attribute and drops the object.
        Py_INCREF(object);
        try {
            on_fd1 = writes_to_fd1(object);
        } catch (...) {
            Py_DECREF(object);
            throw;
        }
    }
    PyObject *old = stream.object;
    stream = {object, on_fd1};
    Py_XDECREF(old);
}

void flush(const Stream &stream) {
    if (!stream.on_fd1) {
        return;
    }
    // flush() may replace the cached stream and drop the last reference to it.
    PyObject *object = stream.object;
    Py_INCREF(object);
    PyObject *result = PyObject_CallMethodNoArgs(object, flush_name);
    Py_DECREF(object);
    if (result == nullptr) {
        clear_unless_fatal();
    }
    Py_XDECREF(result);
}

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
        if (first) {
            std::cout.rdbuf()->pubsync();
        }
#ifdef _WIN32
        // The C runtime's text mode turns each "\n" into CR LF.
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

void prepare_output() {
    sys_dict = PyModule_GetDict(py::module_::import("sys").release().ptr());
    stdout_name = PyUnicode_InternFromString("stdout");
    original_stdout_name = PyUnicode_InternFromString("__stdout__");
    fileno_name = PyUnicode_InternFromString("fileno");
    flush_name = PyUnicode_InternFromString("flush");
    if (stdout_name == nullptr || original_stdout_name == nullptr || fileno_name == nullptr ||
        flush_name == nullptr) {
        throw py::error_already_set();
    }
}

void print(const Lines &lines) {
    if (lines.size() == 0) {
        return;
    }
    update(original_stdout, original_stdout_name);
    if (original_stdout.object == Py_None) {
        return;
    }
    update(current_stdout, stdout_name);
    flush(current_stdout);
    if (original_stdout.object != current_stdout.object) {
        flush(original_stdout);
    }
    write_to_fd1(lines.data(), lines.size());
}

} // namespace calvune
