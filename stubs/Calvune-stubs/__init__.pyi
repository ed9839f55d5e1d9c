"""Calvune pybind11 module"""

# The integer parameters (prime, factorial, n) are typed SupportsIndex, which
# is narrower than the binding's own signature line (SupportsInt |
# SupportsIndex): float has __int__, yet a float is refused with TypeError at
# run time, so a type checker should flag it.

from typing import SupportsFloat, SupportsIndex

def quadratic_formula(
    ax: SupportsFloat | SupportsIndex,
    bx: SupportsFloat | SupportsIndex,
    c: SupportsFloat | SupportsIndex,
) -> None: ...
def Square_root(root: SupportsFloat | SupportsIndex) -> None: ...
def is_prime(prime: SupportsIndex) -> None: ...
def factorial(factorial: SupportsIndex) -> None: ...
def circle_area(radius: SupportsFloat | SupportsIndex) -> None: ...
def circle_circumference(radius: SupportsFloat | SupportsIndex) -> None: ...
def triangle_area(
    a: SupportsFloat | SupportsIndex,
    b: SupportsFloat | SupportsIndex,
    c: SupportsFloat | SupportsIndex,
) -> None: ...
def point_distance(
    x1: SupportsFloat | SupportsIndex,
    x2: SupportsFloat | SupportsIndex,
    y1: SupportsFloat | SupportsIndex,
    y2: SupportsFloat | SupportsIndex,
) -> None: ...
def standart_diviation(p: SupportsFloat | SupportsIndex, n: SupportsIndex) -> None: ...
