"""A short tour of the nine functions. Each prints its own lines and returns None."""

import Calvune

CALLS = [
    ("quadratic_formula", (1, -3, 2), {}),
    ("quadratic_formula", (1, 0, 1), {}),
    ("Square_root", (2,), {}),
    ("is_prime", (97,), {}),
    ("factorial", (10,), {}),
    ("circle_area", (2,), {}),
    ("circle_circumference", (1,), {}),
    ("triangle_area", (3, 4, 5), {}),
    ("point_distance", (), {"x1": 0, "x2": 3, "y1": 0, "y2": 4}),
    ("standart_diviation", (0.5, 10), {}),
]

for name, args, kwargs in CALLS:
    shown = [repr(a) for a in args] + [f"{k}={v!r}" for k, v in kwargs.items()]
    print(f">>> Calvune.{name}({', '.join(shown)})")
    getattr(Calvune, name)(*args, **kwargs)
