// Import entry and module body of Calvune.
#include "arguments.hpp"
#include "output.hpp"
#include "routines.hpp"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace {

// The bound function of a routine: it takes the routine's parameters as the
// module's argument types (arguments.hpp), so that pybind11 shows the same
// signature, computes the text with the interpreter lock held, and writes it
// after this interpreter's own streams.
template <typename... Args>
auto printed(calvune::Lines (*routine)(Args...), std::weak_ptr<calvune::Streams> streams) {
    return [routine, streams](typename calvune::Argument<Args>::type... args) {
        calvune::print(routine(args...), streams);
    };
}

} // namespace

PYBIND11_MODULE(Calvune, m) {
    m.doc() = "Calvune pybind11 module";
    const auto streams = calvune::prepare_streams();

    m.def("quadratic_formula", printed(calvune::quadratic_formula, streams), py::arg("ax"),
          py::arg("bx"), py::arg("c"));
    m.def("Square_root", printed(calvune::square_root, streams), py::arg("root"));
    m.def("is_prime", printed(calvune::is_prime, streams), py::arg("prime"));
    m.def("factorial", printed(calvune::factorial, streams), py::arg("factorial"));
    m.def("circle_area", printed(calvune::circle_area, streams), py::arg("radius"));
    m.def("circle_circumference", printed(calvune::circle_circumference, streams),
          py::arg("radius"));
    m.def("triangle_area", printed(calvune::triangle_area, streams), py::arg("a"), py::arg("b"),
          py::arg("c"));
    m.def("point_distance", printed(calvune::point_distance, streams), py::arg("x1"), py::arg("x2"),
          py::arg("y1"), py::arg("y2"));
    m.def("standart_diviation", printed(calvune::standart_diviation, streams), py::arg("p"),
          py::arg("n"));
}
