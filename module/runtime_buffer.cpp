// Recognising the C++ runtime's own standard output buffer, per C++ library.
//
// libstdc++ (Linux, and MinGW-w64, which links it into the module) names its
// buffers' types, and they tell their file: __gnu_cxx::stdio_sync_filebuf
// on stdout (the default), or __gnu_cxx::stdio_filebuf on fd 1 (after
// sync_with_stdio(false)). The type must match exactly, since a class
// derived from either may write elsewhere; whoever made such a buffer, it
// writes where fd 1 goes.
//
// libc++ (macOS) and the MSVC STL keep the standard streams' buffers in the
// runtime's own static storage, under private types, so there the loaded
// image holding the buffer tells: the runtime's image, but not the buffer of
// std::cerr, std::clog or std::cin, which lives there too. The sync of
// either runtime's standard output buffer is fflush(stdout). On ELF the
// runtime's image is found from one of its functions, because an executable
// that uses std::cout holds a copy of std::cout itself (a copy relocation);
// Windows makes no such copies.
//
// Any other C++ library: foreign.
#include "runtime_buffer.hpp"

#include <iostream>

#if defined(__GLIBCXX__)
#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <ext/stdio_sync_filebuf.h>
#include <typeinfo>
#elif defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace calvune {

#if defined(__GLIBCXX__)

CoutBuffer kind_of(std::streambuf &buffer) {
    const std::type_info &type = typeid(buffer);
    if (type == typeid(__gnu_cxx::stdio_sync_filebuf<char>)) {
        return static_cast<__gnu_cxx::stdio_sync_filebuf<char> &>(buffer).file() == stdout
                   ? CoutBuffer::stdio
                   : CoutBuffer::foreign;
    }
    if (type == typeid(__gnu_cxx::stdio_filebuf<char>)) {
        return static_cast<__gnu_cxx::stdio_filebuf<char> &>(buffer).fd() == 1
                   ? CoutBuffer::fd1
                   : CoutBuffer::foreign;
    }
    return CoutBuffer::foreign;
}

#elif defined(_LIBCPP_VERSION) || defined(_MSVC_STL_VERSION)

namespace {

#ifdef _WIN32
HMODULE image_of(const void *address) {
    HMODULE image = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &image)
               ? image
               : nullptr;
}

const void *a_runtime_address() { return &std::cout; }
#else
const void *image_of(const void *address) {
    Dl_info info;
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

const void *a_runtime_address() {
    return reinterpret_cast<const void *>(&std::ios_base::sync_with_stdio);
}
#endif

} // namespace

CoutBuffer kind_of(std::streambuf &buffer) {
    if (&buffer == std::cerr.rdbuf() || &buffer == std::clog.rdbuf() ||
        &buffer == std::cin.rdbuf()) {
        return CoutBuffer::foreign;
    }
    const auto runtime = image_of(a_runtime_address());
    return runtime != nullptr && image_of(&buffer) == runtime ? CoutBuffer::stdio
                                                              : CoutBuffer::foreign;
}

#else

CoutBuffer kind_of(std::streambuf &) { return CoutBuffer::foreign; }

#endif

} // namespace calvune
