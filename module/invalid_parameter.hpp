// Windows only: a guard under which the C runtime reports an invalid
// descriptor instead of ending the process.
#pragma once

#ifdef _WIN32
#include <stdlib.h>

#ifdef CALVUNE_DECLARE_THREAD_LOCAL_IPH
// MinGW-w64's headers lack this declaration, though its UCRT import library
// has the function; the build declares it only where the headers lack it.
extern "C" _invalid_parameter_handler __cdecl
_set_thread_local_invalid_parameter_handler(_invalid_parameter_handler handler);
#endif

namespace calvune {

// The C runtime's default answer to an invalid descriptor (fd 1 closed) is to
// end the process from inside _write or _get_osfhandle. While this thread's
// handler returns instead, the call fails with EBADF, so the module can raise
// OSError as print() does; CPython guards its own calls into the runtime the
// same way.
class InvalidParameterIgnored {
  public:
    InvalidParameterIgnored() : previous_(_set_thread_local_invalid_parameter_handler(ignore)) {}
    ~InvalidParameterIgnored() { _set_thread_local_invalid_parameter_handler(previous_); }
    InvalidParameterIgnored(const InvalidParameterIgnored &) = delete;
    InvalidParameterIgnored &operator=(const InvalidParameterIgnored &) = delete;

  private:
    static void ignore(const wchar_t *, const wchar_t *, const wchar_t *, unsigned, uintptr_t) {}

    _invalid_parameter_handler previous_;
};

} // namespace calvune
#endif
