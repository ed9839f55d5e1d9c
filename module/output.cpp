// Where a call's text goes: where std::cout goes.
//
// First Python's own streams are flushed (streams.cpp), so that text printed
// from Python comes before the call's. Then the call takes the steps of
// `std::cout << text << std::flush`:
// - With no buffer, or in a failed state (failbit or badbit, someone else's
//   failed write included), nothing is written.
// - A stream that std::cout is tied to is flushed first, and std::cout's
//   width is consumed (reset to 0); the module's digits are never padded.
// - With the C++ runtime's own buffer for the standard output
//   (runtime_buffer.cpp), the text goes to fd 1 directly (fd1.cpp): the bytes
//   std::cout would bring there, in one atomic write, with signals and a
//   non-blocking stdout handled. A process that started without a standard
//   output (sys.__stdout__ is None) may have fd 1 open on a file of its own:
//   then nothing is written.
// - With any other buffer, an application's console or pybind11's
//   redirection, the text goes through it whole, one write and then one sync,
//   with the interpreter lock held.
// Only where the text goes follows std::cout: the digits are the module's own
// (lines.hpp), whatever precision, std::fixed or locale std::cout has.
//
// Code that is not the module's. A tied stream's flush and a foreign buffer
// run code of their own, and pybind11's redirection runs Python code, which
// may let another thread run and call the module. So one call at a time is
// inside such code: it holds the turn. A call on another thread waits for it
// with the interpreter lock released; a call from inside it on the same
// thread (from a signal handler) raises RuntimeError, as Python's own
// buffered streams do, rather than enter the buffer twice or wait for
// itself. The turn is a flag that the interpreter lock guards, not a mutex,
// and a child process forked while another thread held it starts without it.
// The direct path runs none of that code and takes no turn.
#include "output.hpp"
#include "fd1.hpp"
#include "runtime_buffer.hpp"

#include <pybind11/pybind11.h>

#include <chrono>
#include <iostream>
#include <thread>

#ifndef _WIN32
#include <pthread.h>
#endif

namespace py = pybind11;

namespace calvune {

namespace {

void write_with_turn(const Lines &lines, bool has_stdout);

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
    if (kind == CoutBuffer::foreign || std::cout.tie() != nullptr) {
        write_with_turn(lines, has_stdout);
        return;
    }
    std::cout.width(0);
    if (has_stdout) {
        write_to_fd1(lines, kind == CoutBuffer::fd1 ? buffer : nullptr);
    }
}

namespace {

// The thread whose call holds the turn, if one does.
struct Holder {
    bool held = false;
    unsigned long thread = 0;
};

Holder holder;

#ifndef _WIN32
[[maybe_unused]] const int turn_left_by_the_parent = pthread_atfork(nullptr, nullptr, [] {
    if (holder.thread != PyThread_get_thread_ident()) {
        holder.held = false;
    }
});
#endif

class Turn {
  public:
    Turn() {
        const unsigned long thread = PyThread_get_thread_ident();
        while (holder.held) {
            if (holder.thread == thread) {
                PyErr_SetString(PyExc_RuntimeError, "reentrant call inside std::cout's buffer");
                throw py::error_already_set();
            }
            Py_BEGIN_ALLOW_THREADS;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            Py_END_ALLOW_THREADS;
            if (PyErr_CheckSignals() != 0) {
                throw py::error_already_set();
            }
        }
        holder = {true, thread};
    }
    ~Turn() { holder.held = false; }
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;
};

// The failed state is std::cout's to keep; an exception that its mask asks
// for gives way to the call's own.
void mark_failed() {
    try {
        std::cout.setstate(std::ios::badbit);
    } catch (const std::ios_base::failure &) {
    }
}

// The buffer's write and sync, as std::ostream's write and flush make them,
// but for one difference: an exception from the buffer propagates, where
// std::ostream would turn it into badbit unless its mask asks for it. So
// Python sees the buffer's own error: a C++ exception as pybind11 translates
// it, a Python error (from pybind11's redirection to sys.stdout,
// KeyboardInterrupt included) as itself. A buffer that fails without an
// exception makes the call raise OSError, as print() raises when its write
// fails. Either way std::cout is left failed, and later calls write nothing
// until its state is cleared. The buffer is synced once, std::unitbuf or not.
void write_through(const Lines &lines, std::streambuf &buffer) {
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

// The steps of print() once the turn is held, after which std::cout is looked
// at anew: while the call waited, or while the tied stream ran, it may have
// changed.
void write_with_turn(const Lines &lines, bool has_stdout) {
    const Turn turn;
    if (!std::cout.good()) {
        return;
    }
    if (std::ostream *tied = std::cout.tie()) {
        tied->flush();
        if (!std::cout.good()) {
            return;
        }
    }
    std::cout.width(0);
    std::streambuf *buffer = std::cout.rdbuf();
    const CoutBuffer kind = kind_of(*buffer);
    if (kind == CoutBuffer::foreign) {
        write_through(lines, *buffer);
    } else if (has_stdout) {
        write_to_fd1(lines, kind == CoutBuffer::fd1 ? buffer : nullptr);
    }
}

} // namespace

} // namespace calvune
