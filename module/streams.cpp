// Python's own standard output, flushed before a call writes, so that text
// Python wrote earlier comes out first.
//
// Which streams. Each of sys.__stdout__ and sys.stdout that writes to fd 1 is
// flushed, in that order: text the original stream still holds was written
// before its replacement existed. A stream writes to fd 1 when its fileno()
// is 1 or a descriptor on the same open file (os.fdopen(os.dup(1))). A stream
// that writes elsewhere (a notebook kernel's, whose descriptor is a copy of
// the kernel's original stdout, or a StringIO under redirect_stdout) is not
// flushed, since its text cannot come before ours anyway, and flushing a
// kernel's stream waits on its I/O thread.
//
// Errors. An OSError from flush() (BlockingIOError on a non-blocking stdout,
// a broken pipe, a full disk) means that text which belongs before ours did
// not reach fd 1: it propagates, and the call writes nothing, as print()
// would raise. Any other Exception from flush(), and every one from
// fileno(), is the stream's own quirk and is cleared; what is not an
// Exception (KeyboardInterrupt, SystemExit from a signal handler) propagates.
//
// What is remembered, and for how long. For each of the two names, the Streams
// keep a plain weak reference to the stream last seen there, its descriptor,
// and whether it writes to fd 1. A stream found to write to fd 1 is not asked
// again. One found to write elsewhere through a descriptor is asked again on
// each call, through that descriptor (two fstat calls), since fd 1 may have
// been pointed at its file since (os.dup2(log.fileno(), 1)). Nothing keeps a
// user's object alive, so a file that replaced sys.stdout is closed, and
// flushed, exactly when it would be without us; once it is gone its weak
// reference points at nothing, so a new stream at a freed address is asked
// again. A stream that can't be weakly referenced is asked on every call.
//
// Each interpreter that imports the module has its own Streams (legacy
// subinterpreters each have their own sys), owned by a capsule in the
// interpreter's state dictionary and released when the interpreter ends. The
// bound functions hold only a weak pointer to it. A call after the release
// (from a finalizer late in shutdown, when Python has flushed its streams
// for the last time) flushes nothing, and writes only if the process had a
// standard output when the module was imported.
#include "streams.hpp"
#include "errors.hpp"
#include "same_file.hpp"

#include <stdexcept>

namespace py = pybind11;

namespace calvune {

namespace {

// The stream's fileno(), or -1 where it has none.
long descriptor(PyObject *stream, PyObject *fileno_name) {
    if (stream == nullptr || stream == Py_None) {
        return -1;
    }
    PyObject *fd = PyObject_CallMethodNoArgs(stream, fileno_name);
    if (fd == nullptr) {
        clear_exception();
        return -1;
    }
    const long value = PyLong_Check(fd) ? PyLong_AsLong(fd) : -1;
    Py_DECREF(fd);
    if (value == -1 && PyErr_Occurred()) {
        clear_exception();
    }
    return value;
}

// What a weak reference points at, or null; compared, never followed.
PyObject *referent(PyObject *weak) {
    if (weak == nullptr) {
        return nullptr;
    }
#if PY_VERSION_HEX >= 0x030D0000
    PyObject *object = nullptr;
    if (PyWeakref_GetRef(weak, &object) < 0) {
        PyErr_Clear();
    }
    Py_XDECREF(object);
    return object;
#else
    return PyWeakref_GET_OBJECT(weak);
#endif
}

// The stream last seen under one name, its descriptor, and whether it
// writes to fd 1.
class Seen {
  public:
    bool writes_to_fd1(PyObject *stream, PyObject *fileno_name) {
        if (stream == nullptr || stream != referent(weak_.ptr())) {
            fd_ = descriptor(stream, fileno_name);
            on_fd1_ = same_file_as_fd1(fd_);
            weak_ = py::reinterpret_steal<py::object>(
                stream == nullptr ? nullptr : PyWeakref_NewRef(stream, nullptr));
            if (!weak_) {
                PyErr_Clear();
            }
        } else if (!on_fd1_ && fd_ >= 0) {
            // fd 1 may have been pointed at the stream's file since (dup2).
            on_fd1_ = same_file_as_fd1(fd_);
        }
        return on_fd1_;
    }

  private:
    py::object weak_;
    long fd_ = -1;
    bool on_fd1_ = false;
};

// An interned name: sys's dictionary holds its keys interned, so a look-up
// with one matches by identity instead of comparing characters.
py::str interned(const char *name) {
    PyObject *string = PyUnicode_InternFromString(name);
    if (string == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(string);
}

constexpr const char *capsule_name = "Calvune.streams";

// Set at import when sys.__stdout__ is None: fd 1 may then be a file the
// program opens, for as long as the process lives.
bool started_without_stdout = false;

} // namespace

class Streams {
  public:
    Streams()
        : sys_dict_(py::module_::import("sys").attr("__dict__")), stdout_name_(interned("stdout")),
          original_stdout_name_(interned("__stdout__")), fileno_name_(interned("fileno")),
          flush_name_(interned("flush")) {}

    bool has_no_stdout() const { return attribute(original_stdout_name_).ptr() == Py_None; }

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

    void flush_if_on_fd1(Seen &seen, const py::object &stream) {
        if (!seen.writes_to_fd1(stream.ptr(), fileno_name_.ptr())) {
            return;
        }
        PyObject *result = PyObject_CallMethodNoArgs(stream.ptr(), flush_name_.ptr());
        if (result == nullptr) {
            if (PyErr_ExceptionMatches(PyExc_OSError)) {
                throw py::error_already_set();
            }
            clear_exception();
        }
        Py_XDECREF(result);
    }

    py::object sys_dict_;
    py::str stdout_name_, original_stdout_name_, fileno_name_, flush_name_;
    Seen current_, original_;
};

std::weak_ptr<Streams> prepare_streams() {
    PyObject *dict = PyInterpreterState_GetDict(PyInterpreterState_Get());
    if (dict == nullptr) {
        throw std::runtime_error("Calvune: the interpreter has no state dictionary");
    }
    auto streams = std::make_shared<Streams>();
    auto owner = std::make_unique<std::shared_ptr<Streams>>(streams);
    PyObject *capsule = PyCapsule_New(owner.get(), capsule_name, [](PyObject *capsule) {
        delete static_cast<std::shared_ptr<Streams> *>(PyCapsule_GetPointer(capsule, capsule_name));
    });
    if (capsule == nullptr) {
        throw py::error_already_set();
    }
    // From here on the capsule owns the Streams, and the dictionary the capsule.
    owner.release();
    const auto held = py::reinterpret_steal<py::object>(capsule);
    if (PyDict_SetItemString(dict, capsule_name, capsule) != 0) {
        throw py::error_already_set();
    }
    if (streams->has_no_stdout()) {
        started_without_stdout = true;
    }
    return streams;
}

bool flush_python_streams(const std::weak_ptr<Streams> &streams) {
    const std::shared_ptr<Streams> live = streams.lock();
    return live ? live->flush() : !started_without_stdout;
}

} // namespace calvune
