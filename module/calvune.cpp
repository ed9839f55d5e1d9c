// Import entry and module body of Calvune.
#include "routines.hpp"

#include <pybind11/pybind11.h>

#include <iostream>

namespace py = pybind11;

namespace {

// The routines write to file descriptor 1 beneath Python's sys.stdout. So that
// text printed from Python before a call comes out before the call's lines,
// and so that nothing is left in the C buffer when a process ends with
// os._exit (as multiprocessing workers do), every call flushes sys.stdout
// first and std::cout last. A failing sys.stdout.flush must not fail the call.
void flush_python_stdout() {
    static PyObject *const flush_name = PyUnicode_InternFromString("flush");
    PyObject *out = PySys_GetObject("stdout"); // borrowed, may be NULL
    if (flush_name == nullptr || out == nullptr || out == Py_None) {
        PyErr_Clear();
        return;
    }
    // flush may run Python code that rebinds sys.stdout and so drops the
    // last other reference to the object being flushed.
    Py_INCREF(out);
    PyObject *result = PyObject_CallMethodNoArgs(out, flush_name);
    if (result == nullptr) {
        PyErr_Clear();
    }
    Py_XDECREF(result);
    Py_DECREF(out);
}

template <auto Routine> struct Flushed;

template <typename... Args, void (*Routine)(Args...)> struct Flushed<Routine> {
    static void call(Args... args) {
        flush_python_stdout();
        Routine(args...);
        std::cout.flush();
    }
};

template <auto Routine> constexpr auto flushed = &Flushed<Routine>::call;

} // namespace

PYBIND11_MODULE(Calvune, m) {
    m.doc() = "Calvune pybind11 module";

    m.def("quadratic_formula", flushed<calvune::quadratic_formula>, py::arg("ax"), py::arg("bx"),
          py::arg("c"));
    m.def("Square_root", flushed<calvune::square_root>, py::arg("root"));
    m.def("is_prime", flushed<calvune::is_prime>, py::arg("prime"));
    m.def("factorial", flushed<calvune::factorial>, py::arg("factorial"));
    m.def("circle_area", flushed<calvune::circle_area>, py::arg("radius"));
    m.def("circle_circumference", flushed<calvune::circle_circumference>, py::arg("radius"));
    m.def("triangle_area", flushed<calvune::triangle_area>, py::arg("a"), py::arg("b"),
          py::arg("c"));
    m.def("point_distance", flushed<calvune::point_distance>, py::arg("x1"), py::arg("x2"),
          py::arg("y1"), py::arg("y2"));
    m.def("standart_diviation", flushed<calvune::standart_diviation>, py::arg("p"), py::arg("n"));
}
