"""The nine functions in registration order, for every test that goes over
all of them: keywords, parameter kinds ("d" double, "i" int), one call and its
exact text."""

from typing import NamedTuple

import model


class Function(NamedTuple):
    name: str
    keywords: tuple
    kinds: str
    example: tuple
    text: str

    @property
    def model(self):  # the model's function of the same name, in lower case
        return getattr(model, self.name.lower())


# fmt: off
FUNCTIONS = [
    Function("quadratic_formula", ("ax", "bx", "c"), "ddd", (1, -3, 2), "X1: 2\nX2: 1\n"),
    Function("Square_root", ("root",), "d", (2,), "Square root: 1.41421\n"),
    Function("is_prime", ("prime",), "i", (2147483647,), "It is a prime number\n"),
    Function("factorial", ("factorial",), "i", (10,), "3.6288e+06\n"),
    Function("circle_area", ("radius",), "d", (0.5,), "Circle area: 0.785397\n"),
    Function("circle_circumference", ("radius",), "d", (-1,), "-6.28319\n"),
    Function("triangle_area", ("a", "b", "c"), "ddd", (1, 1, 1), "0.433013\n"),
    Function("point_distance", ("x1", "x2", "y1", "y2"), "dddd", (0, 3, 0, 4), "5\n"),
    Function("standart_diviation", ("p", "n"), "di", (0.3, 100), "0.0458258\n"),
]
# fmt: on
