"""The prime test against plain trial division, where a fast test could slip."""

import subprocess
import sys

import pytest

import Calvune
import model

HARD = [
    # Strong pseudoprimes to base 2, and to 2 and 3, and to 2, 3 and 5.
    *[2047, 3277, 4033, 4681, 8321, 1373653, 25326001],
    # Strong pseudoprimes near the top of the range: to base 2, and to 61.
    *[2144961253, 2147418113, 2147177233],
    # Carmichael numbers.
    *[561, 1105, 1729, 2465, 2821, 6601, 8911, 41041, 825265, 321197185],
    # The largest ints and their neighbours, and squares and products of
    # primes near the square root of the largest int.
    *range(2147483640, 2147483648),
    *[2147483629, 2147483587, 2147117569, 46337 * 46327, 46327**2, 65521 * 32749],
    # Products of the bases, and multiples of the bases with other primes.
    *[2 * 7 * 61, 7 * 61 * 41, 61 * 41, 61 * 61, 1681, 1679, 1683, 1369, 1367],
]


@pytest.mark.parametrize("n", HARD)
def test_hard_cases(run, n):
    assert run(Calvune.is_prime, n) == (None, model.is_prime(n))


def test_every_number_below_a_million():
    limit = 10**6
    code = f"import Calvune\nfor n in range({limit}):\n    Calvune.is_prime(n)\n"
    done = subprocess.run(
        [sys.executable, "-c", code], capture_output=True, check=True, timeout=300
    )
    sieve = bytearray([1]) * limit
    sieve[0] = sieve[1] = 0
    for i in range(2, int(limit**0.5) + 1):
        if sieve[i]:
            sieve[i * i :: i] = bytes(len(range(i * i, limit, i)))
    answers = {
        b"No prime number": 0,
        b"It is a prime number": 1,
        b"It is not a prime number": 2,
    }
    got = [answers[line] for line in done.stdout.splitlines()]
    expected = [0, 0] + [1 if sieve[n] else 2 for n in range(2, limit)]
    assert got == expected
