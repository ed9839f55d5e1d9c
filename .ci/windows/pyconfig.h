/* The part of CPython's Windows pyconfig.h that an extension module needs,
   for building against the official 64-bit Windows CPython with MinGW-w64.
   The embeddable package carries no headers, so the build pairs this file
   with the Include folder of a CPython of the same minor version. */
#ifndef Py_CONFIG_H
#define Py_CONFIG_H

#define MS_WIN32
#define MS_WIN64
#define MS_WINDOWS
#define NT_THREADS
#define WITH_THREAD
#define Py_ENABLE_SHARED 1
#define HAVE_DECLSPEC_DLL
#define PLATFORM "win32"

#include <stdint.h>
#include <io.h>
#include <basetsd.h>

typedef SSIZE_T ssize_t;
#define HAVE_SSIZE_T 1

#define SIZEOF_SHORT 2
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define SIZEOF_DOUBLE 8
#define SIZEOF_FLOAT 4
#define SIZEOF_VOID_P 8
#define SIZEOF_SIZE_T 8
#define SIZEOF_TIME_T 8
#define SIZEOF_OFF_T 4
#define SIZEOF_FPOS_T 8
#define SIZEOF_HKEY 8
#define SIZEOF_WCHAR_T 2
#define SIZEOF__BOOL 1
#define SIZEOF_PID_T SIZEOF_INT
#define ALIGNOF_SIZE_T 8
#define ALIGNOF_MAX_ALIGN_T 8

#define HAVE_WCHAR_H 1
#define HAVE_STDARG_PROTOTYPES
#define HAVE_COPYSIGN 1
#define HAVE_ROUND 1
#define HAVE_HYPOT 1
#define HAVE_ERF 1
#define HAVE_ERFC 1
#define HAVE_LGAMMA 1
#define HAVE_TGAMMA 1
#define HAVE_PUTENV
#define HAVE_PROCESS_H 1
#define HAVE_DIRECT_H 1
#define HAVE_IO_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_FCNTL_H 1
#define HAVE_ERRNO_H 1
#define HAVE_SIGNAL_H 1
#define DONT_HAVE_SIG_ALARM
#define DONT_HAVE_SIG_PAUSE
#define LONG_BIT 32
#define WORD_BIT 32
#define PY_SSIZE_T_CLINKAGE

#define Py_WINVER 0x0602
#define Py_NTDDI 0x06020000
#define PY_LONG_LONG long long
#define PY_LLONG_MIN LLONG_MIN
#define PY_LLONG_MAX LLONG_MAX
#define PY_ULLONG_MAX ULLONG_MAX

#endif /* Py_CONFIG_H */
