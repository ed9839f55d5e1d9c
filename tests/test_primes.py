"""The prime test against plain trial division, where a fast test could slip."""

from pathlib import Path

import pytest

import Calvune
import model
from processes import python

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


def prime_sieve(limit):
    """sieve[n] tells whether n is prime, for n below limit."""
    np = pytest.importorskip("numpy")
    sieve = np.ones(limit, dtype=bool)
    sieve[:2] = False
    for i in range(2, int(limit**0.5) + 1):
        if sieve[i]:
            sieve[i * i :: i] = False
    return sieve


def test_every_number_below_a_million():
    limit = 10**6
    sieve = prime_sieve(limit)
    code = f"import Calvune\nfor n in range({limit}):\n    Calvune.is_prime(n)\n"
    done = python(code)
    assert done.returncode == 0, done.stderr
    answers = {"No prime number": 0, "It is a prime number": 1, "It is not a prime number": 2}
    got = [answers[line] for line in done.stdout.splitlines()]
    expected = [0, 0] + [1 if sieve[n] else 2 for n in range(2, limit)]
    assert got == expected


TABLE = Path(__file__).parents[1] / "routines" / "pseudoprimes.inc"


def passes_strong_test_base2(n):
    d, s = n - 1, 0
    while d % 2 == 0:
        d, s = d // 2, s + 1
    x = pow(2, d, n)
    if x == 1:
        return True
    for _ in range(s):
        if x == n - 1:
            return True
        x = x * x % n
    return False


@pytest.fixture(scope="module")
def table():
    if not TABLE.exists():
        pytest.skip("the C++ sources are not here")
    lines = TABLE.read_text().splitlines()
    return [int(line.rstrip(",")) for line in lines if not line.startswith("//")]


def test_the_table_holds_base_2_strong_pseudoprimes_in_order(table):
    np = pytest.importorskip("numpy")
    assert table == sorted(set(table))
    assert all(map(passes_strong_test_base2, table))
    n = np.array(table, dtype=np.uint64)[:, None]
    odd_primes = np.flatnonzero(prime_sieve(46341))[1:].astype(np.uint64)
    assert ((n % odd_primes == 0) & (odd_primes < n)).any(axis=1).all()


def test_the_table_is_complete_below_2_to_the_25(table):
    np = pytest.importorskip("numpy")
    found = []
    composites = np.flatnonzero(~prime_sieve(2**25)).astype(np.uint64)
    odd_composites = composites[(composites % 2 == 1) & (composites > 1)]
    for n in np.array_split(odd_composites, 64):
        # 2^(n - 1) mod n, left to right over the bits of n - 1; products of
        # residues stay below 2^50. Every strong pseudoprime passes.
        x = np.ones_like(n)
        for bit in range(24, -1, -1):
            x = x * x % n
            odd = ((n - 1) >> np.uint64(bit)) & np.uint64(1) == 1
            x[odd] = (x[odd] << np.uint64(1)) % n[odd]
        found += n[x == 1].tolist()
    assert [n for n in found if passes_strong_test_base2(n)] == [n for n in table if n < 2**25]
