// Python's own standard output, flushed before a call writes, so that text
// Python wrote earlier comes out first.
//
// Each of sys.__stdout__ and sys.stdout that writes to fd 1 is flushed, in
// that order: text the original stream still holds was written before its
// replacement existed. A stream writes to fd 1 when its fileno() is 1 or a
// descriptor on the same open file (os.fdopen(os.dup(1))); that is decided once
// per stream. A stream that writes elsewhere (a notebook kernel's, whose
// descriptor is a copy of the kernel's original stdout, or a StringIO under
// redirect_stdout) is not flushed, since its text cannot come before ours
// anyway, and flushing a kernel's stream waits on its I/O thread.
//
// An OSError from flush() (BlockingIOError on a non-blocking stdout, a broken
// pipe, a full disk) means that text which belongs before ours did not reach
// fd 1: it propagates, and the call writes nothing, as print() would raise.
// Any other Exception from flush(), and every one from fileno(), is the
// stream's own quirk and is cleared; what is not an Exception
// (KeyboardInterrupt, SystemExit from a signal handler) propagates.
//
// Nothing here keeps a user's object alive. A stream is remembered by a weak
// reference whose callback forgets it as it dies, so a file that replaced
// sys.stdout is closed, and flushed, exactly when it would be without us, and
// a new stream at a freed address is never mistaken for it. A stream that
// can't be weakly referenced is asked fileno() on every call.
//
// What is cached belongs to one interpreter: each has its own State, kept in
// its state dictionary and released when it ends. Legacy subinterpreters
// import the module too, each with its own sys. A call made after its State
// is released (from a finalizer late in shutdown, when sys is gone and Python
// has flushed its streams for the last time) flushes nothing, and writes only
// if the process had a standard output when the module was imported.
#include "streams.hpp"
#include "same_file.hpp"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace py = pybind11;

namespace calvune {

namespace {

void clear_unless_fatal() {
    if (!PyErr_ExceptionMatches(PyExc_Exception)) {
        throw py::error_already_set();
    }
    PyErr_Clear();
}

bool asks_fd1(PyObject *stream, PyObject *fileno_name) {
    if (stream == nullptr || stream == Py_None) {
        return false;
    }
    PyObject *fd = PyObject_CallMethodNoArgs(stream, fileno_name);
    if (fd == nullptr) {
        clear_unless_fatal();
        return false;
    }
    const long value = PyLong_Check(fd) ? PyLong_AsLong(fd) : -1;
    Py_DECREF(fd);
    if (value == -1 && PyErr_Occurred()) {
        clear_unless_fatal();
        return false;
    }
    return same_file_as_fd1(value);
}

// What is known of one of sys.stdout and sys.__stdout__: the stream last seen
// there, while it lives, and whether it writes to fd 1.
//
// The callback reaches the stream's record through a weak pointer, since
// weakref.getweakrefs() can hand its weak reference to anyone, who may keep it
// past this record.
class Stream {
  public:
    Stream()
        : object_(std::make_shared<PyObject *>(nullptr)),
          forget_([seen = std::weak_ptr<PyObject *>(object_)](py::handle) {
              if (const auto object = seen.lock()) {
                  *object = nullptr;
              }
          }) {}
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    bool writes_to_fd1(PyObject *stream, PyObject *fileno_name) {
        if (stream != nullptr && stream == *object_) {
            return on_fd1_;
        }
        const bool on_fd1 = asks_fd1(stream, fileno_name);
        remember(stream, on_fd1);
        return on_fd1;
    }

  private:
    void remember(PyObject *stream, bool on_fd1) {
        watch_ = py::object();
        *object_ = nullptr;
        if (stream == nullptr) {
            return;
        }
        PyObject *watch = PyWeakref_NewRef(stream, forget_.ptr());
        if (watch == nullptr) {
            PyErr_Clear();
            return;
        }
        watch_ = py::reinterpret_steal<py::object>(watch);
        *object_ = stream;
        on_fd1_ = on_fd1;
    }

    std::shared_ptr<PyObject *> object_;
    py::cpp_function forget_;
    py::object watch_;
    bool on_fd1_ = false;
};

constexpr const char *state_key = "Calvune.streams";

// An interned name: sys's dictionary holds its keys interned, so a look-up
// with one matches by identity instead of comparing characters.
py::str interned(const char *name) {
    PyObject *string = PyUnicode_InternFromString(name);
    if (string == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(string);
}

class State {
  public:
    explicit State(std::int64_t interpreter)
        : interpreter_(interpreter), sys_dict_(py::module_::import("sys").attr("__dict__")),
          stdout_name_(interned("stdout")), original_stdout_name_(interned("__stdout__")),
          fileno_name_(interned("fileno")), flush_name_(interned("flush")) {}

    // The calling interpreter's State is made at import. A call only looks
    // it up, and finds none once the interpreter has released it.
    static void prepare();
    static State *of_this_interpreter();
    static void release(PyObject *capsule);

    bool flush() {
        const py::object original = attribute(original_stdout_name_);
        if (original.ptr() == Py_None) {
            return false;
        }
        const py::object current = attribute(stdout_name_);
        if (current.ptr() != original.ptr()) {
            flush_if_on_fd1(original_, original);
        }
        flush_if_on_fd1(current_, current);
        return true;
    }

  private:
    // sys.<name>, or a null object where it is missing. The reference keeps
    // the stream alive while the call uses it, whatever its methods rebind.
    py::object attribute(const py::str &name) const {
        PyObject *object = PyDict_GetItemWithError(sys_dict_.ptr(), name.ptr());
        if (object == nullptr) {
            PyErr_Clear();
        }
        return py::reinterpret_borrow<py::object>(object);
    }

    void flush_if_on_fd1(Stream &known, const py::object &stream) {
        if (!known.writes_to_fd1(stream.ptr(), fileno_name_.ptr())) {
            return;
        }
        PyObject *result = PyObject_CallMethodNoArgs(stream.ptr(), flush_name_.ptr());
        if (result == nullptr) {
            if (PyErr_ExceptionMatches(PyExc_OSError)) {
                throw py::error_already_set();
            }
            clear_unless_fatal();
        }
        Py_XDECREF(result);
    }

    std::int64_t interpreter_;
    py::object sys_dict_;
    py::str stdout_name_, original_stdout_name_, fileno_name_, flush_name_;
    Stream current_, original_;
};

// The State of the interpreter that called last, found again without a
// dictionary look-up; null when that interpreter has released it. An
// interpreter's ID is never reused while the process lives (but after
// Py_Finalize, when the main interpreter starts again as 0), so the pointer is
// only followed from the interpreter that owns it. Only interpreters sharing
// the main interpreter's lock can import the module, so that lock guards these
// too.
std::int64_t last_interpreter = -1;
State *last_state = nullptr;

// Set at import when sys.__stdout__ is None: fd 1 may then be a file the
// program opens, for as long as the process lives.
bool started_without_stdout = false;

// The State kept in an interpreter's state dictionary, or null.
State *kept_in(PyObject *dict, PyObject *key) {
    PyObject *found = PyDict_GetItemWithError(dict, key);
    if (found == nullptr && PyErr_Occurred()) {
        throw py::error_already_set();
    }
    return found == nullptr ? nullptr
                            : static_cast<State *>(PyCapsule_GetPointer(found, state_key));
}

void State::prepare() {
    PyInterpreterState *interpreter = PyInterpreterState_Get();
    const std::int64_t id = PyInterpreterState_GetID(interpreter);
    PyObject *dict = PyInterpreterState_GetDict(interpreter);
    if (dict == nullptr) {
        throw std::runtime_error("Calvune: the interpreter has no state dictionary");
    }
    const py::str key(state_key);
    State *state = kept_in(dict, key.ptr());
    if (state == nullptr) {
        auto made = std::make_unique<State>(id);
        PyObject *capsule = PyCapsule_New(made.get(), state_key, release);
        if (capsule == nullptr) {
            throw py::error_already_set();
        }
        // From here on the capsule owns the State, and the dictionary the capsule.
        state = made.release();
        const auto owner = py::reinterpret_steal<py::object>(capsule);
        if (PyDict_SetItem(dict, key.ptr(), capsule) != 0) {
            throw py::error_already_set();
        }
    }
    last_state = state;
    last_interpreter = id;
    if (state->attribute(state->original_stdout_name_).ptr() == Py_None) {
        started_without_stdout = true;
    }
}

State *State::of_this_interpreter() {
    PyInterpreterState *interpreter = PyInterpreterState_Get();
    const std::int64_t id = PyInterpreterState_GetID(interpreter);
    if (id != last_interpreter) {
        PyObject *dict = PyInterpreterState_GetDict(interpreter);
        last_state = dict == nullptr ? nullptr : kept_in(dict, py::str(state_key).ptr());
        last_interpreter = id;
    }
    return last_state;
}

void State::release(PyObject *capsule) {
    auto *state = static_cast<State *>(PyCapsule_GetPointer(capsule, state_key));
    // The interpreter's last finalizers run after this, and their calls find
    // no State. One made after Py_Finalize may get the same ID again, and
    // makes its own at import.
    last_interpreter = state->interpreter_;
    last_state = nullptr;
    delete state;
}

} // namespace

void prepare_streams() { State::prepare(); }

bool flush_python_streams() {
    State *state = State::of_this_interpreter();
    return state == nullptr ? !started_without_stdout : state->flush();
}

} // namespace calvune
