"""The nine functions, in the order the module registers them: keyword names,
the kind of each parameter ("d" a double, "i" an int), the model of what it
writes, and one call by position with its exact text. Every test that goes
over all nine reads this table."""

from typing import NamedTuple

import model


class Function(NamedTuple):
    name: str
    keywords: tuple
    kinds: str
    model: object
    example: tuple
    text: str


FUNCTIONS = [
    Function(
        "quadratic_formula",
        ("ax", "bx", "c"),
        "ddd",
        model.quadratic_formula,
        (1, -3, 2),
        "X1: 2\nX2: 1\n",
    ),
    Function("Square_root", ("root",), "d", model.square_root, (2,), "Square root: 1.41421\n"),
    Function("is_prime", ("prime",), "i", model.is_prime, (2147483647,), "It is a prime number\n"),
    Function("factorial", ("factorial",), "i", model.factorial, (10,), "3.6288e+06\n"),
    Function("circle_area", ("radius",), "d", model.circle_area, (0.5,), "Circle area: 0.785397\n"),
    Function(
        "circle_circumference", ("radius",), "d", model.circle_circumference, (-1,), "-6.28319\n"
    ),
    Function("triangle_area", ("a", "b", "c"), "ddd", model.triangle_area, (1, 1, 1), "0.433013\n"),
    Function(
        "point_distance",
        ("x1", "x2", "y1", "y2"),
        "dddd",
        model.point_distance,
        (0, 3, 0, 4),
        "5\n",
    ),
    Function(
        "standart_diviation",
        ("p", "n"),
        "di",
        model.standart_diviation,
        (0.3, 100),
        "0.0458258\n",
    ),
]
