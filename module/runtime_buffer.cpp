// Recognising the C++ runtime's own standard output buffer, per C++ library:
// by what the buffer is and which file it writes, never by where the other
// standard streams point now (a host may have swapped their buffers).
//
// libstdc++ (Linux, and MinGW-w64, which links it into the module) names its
// buffers' types, and they tell their file: __gnu_cxx::stdio_sync_filebuf
// on stdout (the default), or __gnu_cxx::stdio_filebuf open for output on
// fd 1 (after sync_with_stdio(false)). The type must match exactly, since a
// class derived from either may write elsewhere; whoever made such a buffer,
// it writes where fd 1 goes.
//
// The MSVC STL keeps each standard stream's buffer as a plain std::filebuf
// on its FILE; only one on stdout counts.
//
// libc++ (macOS) keeps the standard streams' buffers in the runtime's own
// static storage, under private types. The loaded image that holds a buffer
// tells whether it is one of them; its file tells which. On ELF the runtime's
// image is found from one of its functions, because an executable that uses
// std::cout holds a copy of std::cout itself (a copy relocation).
//
// Any other C++ library: foreign.
#include "runtime_buffer.hpp"

#include <cstdio>
#include <fstream>
#include <typeinfo>

#if defined(__GLIBCXX__)
#include <ext/stdio_filebuf.h>
#include <ext/stdio_sync_filebuf.h>
#elif defined(_LIBCPP_VERSION) && !defined(_WIN32)
#include <cstring>
#include <dlfcn.h>
#include <iostream>
#endif

namespace calvune {

#if defined(__GLIBCXX__)

namespace {

// basic_filebuf keeps its open mode to itself; a pointer to the member,
// formed in a derived class, reads it.
struct OpenMode : std::filebuf {
    static bool for_output(const std::filebuf &buffer) {
        return (buffer.*&OpenMode::_M_mode & (std::ios_base::out | std::ios_base::app)) != 0;
    }
};

} // namespace

CoutBuffer kind_of(std::streambuf &buffer) {
    const std::type_info &type = typeid(buffer);
    if (type == typeid(__gnu_cxx::stdio_sync_filebuf<char>)) {
        return static_cast<__gnu_cxx::stdio_sync_filebuf<char> &>(buffer).file() == stdout
                   ? CoutBuffer::stdio
                   : CoutBuffer::foreign;
    }
    if (type == typeid(__gnu_cxx::stdio_filebuf<char>)) {
        auto &file = static_cast<__gnu_cxx::stdio_filebuf<char> &>(buffer);
        return file.is_open() && OpenMode::for_output(file) && file.fd() == 1 ? CoutBuffer::fd1
                                                                              : CoutBuffer::foreign;
    }
    return CoutBuffer::foreign;
}

#elif defined(_MSVC_STL_VERSION)

namespace {

// basic_filebuf keeps its FILE to itself. An explicit instantiation may name
// a private member, so this one hands out a pointer to it.
template <typename Tag, typename Tag::type member> struct Exposed {
    friend typename Tag::type pointer(Tag) { return member; }
};
struct FileMember {
    using type = FILE *std::filebuf::*;
    friend type pointer(FileMember);
};
template struct Exposed<FileMember, &std::filebuf::_Myfile>;

} // namespace

CoutBuffer kind_of(std::streambuf &buffer) {
    return typeid(buffer) == typeid(std::filebuf) &&
                   static_cast<std::filebuf &>(buffer).*pointer(FileMember{}) == stdout
               ? CoutBuffer::stdio
               : CoutBuffer::foreign;
}

#elif defined(_LIBCPP_VERSION) && !defined(_WIN32)

namespace {

const void *image_of(const void *address) {
    Dl_info info;
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

const void *const runtime_image =
    image_of(reinterpret_cast<const void *>(&std::ios_base::sync_with_stdio));

// Whether the buffer lives in the runtime's image, and so is one of the
// standard streams' own. Asking the dynamic loader is slow, and an address
// stays in the image it is in, so the last answer is remembered; the
// interpreter lock guards it.
bool is_standard(const std::streambuf &buffer) {
    static const std::streambuf *seen = nullptr;
    static bool seen_standard = false;
    if (&buffer != seen) {
        seen_standard = runtime_image != nullptr && image_of(&buffer) == runtime_image;
        seen = &buffer;
    }
    return seen_standard;
}

// The file of a standard buffer. libc++'s buffers for std::cout, std::cerr
// and std::cin hold it as their first member, right after the streambuf;
// should that ever change, the bytes read are not stdout, and the text goes
// through std::cout.
const FILE *file_of(const std::streambuf &buffer) {
    const FILE *file;
    std::memcpy(&file, reinterpret_cast<const unsigned char *>(&buffer) + sizeof(std::streambuf),
                sizeof file);
    return file;
}

} // namespace

CoutBuffer kind_of(std::streambuf &buffer) {
    return is_standard(buffer) && file_of(buffer) == stdout ? CoutBuffer::stdio
                                                            : CoutBuffer::foreign;
}

#else

CoutBuffer kind_of(std::streambuf &) { return CoutBuffer::foreign; }

#endif

} // namespace calvune
