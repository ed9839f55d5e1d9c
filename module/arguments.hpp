// How a Python number becomes a routine's double or int argument.
//
// The bound functions take Real and Integer where a routine takes double and
// int. Their casters accept and refuse exactly what pybind11's casters for
// double and int do, in the same steps, and show the same types in the
// signature line, with one difference: what is not an Exception
// (KeyboardInterrupt, SystemExit) raised by __float__, __index__ or __int__
// propagates at once. pybind11's casters clear any error and try the
// conversion again, so Ctrl-C inside a number's own method would be lost, or
// turned into a TypeError.
#pragma once

#include "errors.hpp"

#include <pybind11/pybind11.h>

namespace calvune {

struct Real {
    double value;
    operator double() const { return value; }
};

struct Integer {
    int value;
    operator int() const { return value; }
};

// The argument type of a bound function for a routine's parameter type.
template <typename T> struct Argument;
template <> struct Argument<double> {
    using type = Real;
};
template <> struct Argument<int> {
    using type = Integer;
};

// After an Exception from the first try, pybind11 converts the number once
// more, through float() or int(), and tries again with the result; so do
// these casters, unless that conversion raises what is not an Exception.
template <typename Caster>
bool load_converted(Caster &caster, PyObject *source, bool convert,
                    PyObject *(*through)(PyObject *)) {
    clear_exception();
    if (!convert || PyNumber_Check(source) == 0) {
        return false;
    }
    const auto converted = pybind11::reinterpret_steal<pybind11::object>(through(source));
    if (!converted) {
        clear_exception();
        return false;
    }
    return caster.load(converted, false);
}

} // namespace calvune

namespace pybind11::detail {

template <> struct type_caster<calvune::Real> {
    PYBIND11_TYPE_CASTER(calvune::Real, make_caster<double>::name);

    // A float, an int, or whatever has __float__ or __index__.
    bool load(handle src, bool convert) {
        PyObject *source = src.ptr();
        if (!convert && !PyFloat_Check(source) && !PyLong_Check(source)) {
            return false;
        }
        const double number = PyFloat_AsDouble(source);
        if (number == -1.0 && PyErr_Occurred()) {
            return calvune::load_converted(*this, source, convert, PyNumber_Float);
        }
        value.value = number;
        return true;
    }
};

template <> struct type_caster<calvune::Integer> {
    PYBIND11_TYPE_CASTER(calvune::Integer, make_caster<int>::name);

    // An int, or whatever has __index__ (or, converted through int(), __int__),
    // but never a float, and only within 32 bits.
    bool load(handle src, bool convert) {
        PyObject *source = src.ptr();
        if (PyFloat_Check(source) || !(convert || PyLong_Check(source) || PyIndex_Check(source))) {
            return false;
        }
        const long number = PyLong_AsLong(source);
        if (number == -1 && PyErr_Occurred()) {
            return calvune::load_converted(*this, source, convert, PyNumber_Long);
        }
        if (number != static_cast<int>(number)) {
            return false;
        }
        value.value = static_cast<int>(number);
        return true;
    }
};

} // namespace pybind11::detail
