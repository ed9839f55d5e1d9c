// Whether a descriptor shares fd 1's file. On POSIX the device and inode
// identify it, for a pipe or socket too. On Windows fstat gives no inode for a
// pipe or a console, so there the two descriptors' handles are compared as
// kernel objects; the function that does that (Windows 10 on) is looked up at
// run time, and where it is missing only fd 1 itself counts.
#include "same_file.hpp"

#include <climits>

#ifdef _WIN32
#include "invalid_parameter.hpp"

#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace calvune {

#ifdef _WIN32
namespace {

using CompareObjectHandlesFunction = BOOL(WINAPI *)(HANDLE, HANDLE);

CompareObjectHandlesFunction compare_object_handles() {
    HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
    return kernelbase == nullptr
               ? nullptr
               : reinterpret_cast<CompareObjectHandlesFunction>(
                     reinterpret_cast<void *>(GetProcAddress(kernelbase, "CompareObjectHandles")));
}

} // namespace
#endif

bool same_file_as_fd1(long fd) {
    if (fd == 1) {
        return true;
    }
    if (fd < 0 || fd > INT_MAX) {
        return false;
    }
#ifdef _WIN32
    static const CompareObjectHandlesFunction compare = compare_object_handles();
    if (compare == nullptr) {
        return false;
    }
    const InvalidParameterIgnored guard;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(fd)));
    const auto fd1 = reinterpret_cast<HANDLE>(_get_osfhandle(1));
    return handle != INVALID_HANDLE_VALUE && fd1 != INVALID_HANDLE_VALUE && compare(handle, fd1);
#else
    struct stat file;
    struct stat fd1;
    return fstat(static_cast<int>(fd), &file) == 0 && fstat(1, &fd1) == 0 &&
           file.st_dev == fd1.st_dev && file.st_ino == fd1.st_ino;
#endif
}

} // namespace calvune
