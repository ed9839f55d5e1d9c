// Import entry and module body of Calvune.
#include "arguments.hpp"
#include "output.hpp"
#include "routines.hpp"
#include "streams.hpp"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace {

// A routine computes and formats its text with the interpreter lock held;
// the module writes it. The bound function takes the routine's parameters
// through the module's own argument types (arguments.hpp).
template <auto Routine> struct Printed;

template <typename... Args, calvune::Lines (*Routine)(Args...)> struct Printed<Routine> {
    static void call(typename calvune::Argument<Args>::type... args) {
        calvune::print(Routine(args...));
    }
};

template <auto Routine> constexpr auto printed = &Printed<Routine>::call;

} // namespace

PYBIND11_MODULE(Calvune, m) {
    m.doc() = "Calvune pybind11 module";
    calvune::prepare_streams();

    m.def("quadratic_formula", printed<calvune::quadratic_formula>, py::arg("ax"), py::arg("bx"),
          py::arg("c"));
    m.def("Square_root", printed<calvune::square_root>, py::arg("root"));
    m.def("is_prime", printed<calvune::is_prime>, py::arg("prime"));
    m.def("factorial", printed<calvune::factorial>, py::arg("factorial"));
    m.def("circle_area", printed<calvune::circle_area>, py::arg("radius"));
    m.def("circle_circumference", printed<calvune::circle_circumference>, py::arg("radius"));
    m.def("triangle_area", printed<calvune::triangle_area>, py::arg("a"), py::arg("b"),
          py::arg("c"));
    m.def("point_distance", printed<calvune::point_distance>, py::arg("x1"), py::arg("x2"),
          py::arg("y1"), py::arg("y2"));
    m.def("standart_diviation", printed<calvune::standart_diviation>, py::arg("p"), py::arg("n"));
}
