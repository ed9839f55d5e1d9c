// Whether a file descriptor refers to the same open file as fd 1.
#pragma once

namespace calvune {

// True for fd 1 itself, and for a descriptor on the same file, pipe, socket or
// device (a duplicate of fd 1, or another descriptor on its terminal). False
// for a descriptor that is not open.
bool same_file_as_fd1(long fd);

} // namespace calvune
