// A C++ neighbour sharing the module's std::cout, for the tests: an extension
// module, or, built with -DHOST, a program that embeds Python and gives
// std::cout a console of its own before the interpreter starts. It does to
// std::cout what applications and libraries do: swap, reuse, tie, mute and
// misconfigure it.
#include <pybind11/embed.h>
#include <pybind11/iostream.h>

#ifdef __GLIBCXX__
#include <ext/stdio_filebuf.h>
#include <ext/stdio_sync_filebuf.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

namespace py = pybind11;

// An application's console: it keeps its text, counts the syncs entered
// without the GIL or while another thread was inside, and fails when told:
// "throw", "refuse", or "second" (refuse from the second sync on).
struct Console : std::stringbuf {
    std::string failure;
    std::atomic<int> inside{0}, without_gil{0}, overlaps{0}, syncs{0};

    int sync() override {
        without_gil += PyGILState_Check() == 0;
        overlaps += inside++ > 0;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
        --inside;
        if (failure == "throw") {
            throw std::runtime_error("the console failed");
        }
        return failure == "refuse" || (failure == "second" && ++syncs > 1) ? -1 : 0;
    }
};

// A stream that holds its text until flushed, and then writes it to fd 1.
struct Fd1 : std::stringbuf {
    int sync() override {
        const std::string text = str();
        str("");
        return ::write(1, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : -1;
    }
} held;
std::ostream tied(&held);

std::streambuf *const original = std::cout.rdbuf();
Console *console = nullptr;

void install(const std::string &failure) {
    console = new Console;
    console->failure = failure;
    std::cout.rdbuf(console);
    // The application's number format, which the module's digits ignore.
    std::cout << std::fixed;
    std::cout.precision(1);
    if (failure == "second") {
        std::cout << std::unitbuf;
        std::cout.exceptions(std::ios::badbit);
    }
}

#ifdef __GLIBCXX__
// The runtime's own buffer types, built anew in one slot, as a stack or a
// reused heap buffer would be: "sync" (stdio_sync_filebuf), "fd"
// (stdio_filebuf) or "in" (stdio_filebuf for input), on stdout or on a log.
using SyncBuffer = __gnu_cxx::stdio_sync_filebuf<char>;
using FileBuffer = __gnu_cxx::stdio_filebuf<char>;
alignas(std::max_align_t) unsigned char slot[std::max(sizeof(FileBuffer), sizeof(SyncBuffer))];
std::streambuf *in_slot = nullptr;

void occupy(const std::string &type, const std::string &log) {
    std::cout.rdbuf(original);
    if (in_slot != nullptr) {
        in_slot->~basic_streambuf();
        in_slot = nullptr;
    }
    if (type.empty()) {
        return;
    }
    FILE *file = log.empty() ? stdout : std::fopen(log.c_str(), "a");
    if (type == "sync") {
        in_slot = new (slot) SyncBuffer(file);
    } else {
        in_slot = new (slot) FileBuffer(file, type == "in" ? std::ios::in : std::ios::out);
    }
    std::cout.rdbuf(in_slot);
}

// Puts a new runtime buffer on stdout in std::cout and deletes the one it
// replaces, with the GIL held, as another thread of an application may.
void churn() {
    std::streambuf *old = std::cout.rdbuf(new SyncBuffer(stdout));
    if (old != original) {
        delete old;
    }
}
#endif

void define(py::module_ &m) {
    m.def("console", install, py::arg("failure") = "");
    m.def("contents", [] {
        std::cout.rdbuf(original);
        std::cout.exceptions(std::ios::goodbit);
        std::cout.unsetf(std::ios::unitbuf);
        return py::make_tuple(console->str(), console->without_gil.load(),
                              console->overlaps.load());
    });
    m.def("mute", [](bool by_failbit) {
        by_failbit ? std::cout.setstate(std::ios::failbit) : void(std::cout.rdbuf(nullptr));
    });
    m.def("unsynced_printf", [](const char *text) {
        std::ios::sync_with_stdio(false);
        std::printf("%s", text);
    });
    // Swaps the buffers of std::cout and std::cerr; std::clog follows std::cerr.
    m.def("swap_with_cerr", [] {
        std::cerr.rdbuf(std::cout.rdbuf(std::cerr.rdbuf()));
        std::clog.rdbuf(std::cerr.rdbuf());
    });
    // Ties std::cout to a stream holding the text; "" unties and flushes it.
    m.def("tie", [](const std::string &text) {
        tied << text;
        std::cout.tie(text.empty() ? nullptr : &tied);
        if (text.empty()) {
            tied.flush();
        }
    });
    m.def("width", [](int width) { return std::cout.width(width); });
    py::add_ostream_redirect(m);
#ifdef __GLIBCXX__
    m.def("occupy", occupy, py::arg("type") = "", py::arg("log") = "");
    m.def("churn", churn);
#endif
}

#ifdef HOST
PYBIND11_EMBEDDED_MODULE(neighbour, m) { define(m); }

int main(int, char **argv) {
    install("");
    py::scoped_interpreter python;
    py::eval_file(argv[1]);
}
#else
PYBIND11_MODULE(neighbour, m) { define(m); }
#endif
