#pragma once

#include <cstddef>

// Writes all of `size` bytes to `fd`, again after a signal or a short write;
// false on any other failure.
bool WriteAll(int fd, const void* data, std::size_t size);
