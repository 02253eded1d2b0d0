#pragma once

#include <string>
#include <sys/types.h>

struct stat;

// Opening and querying paths of any length. The kernel refuses a whole path of PATH_MAX (4096) bytes
// or more, but not a deep folder: such a path is reached piece by piece, each piece shorter than the
// limit and taken relative to the folder that the piece before it opened. Links are followed as in a
// plain open.

// open() for a path of any length; -1 with errno set on failure.
int OpenLongPath(const std::string &path, int flags, mode_t mode = 0);
// stat() following links, for a path of any length; 0 on success, -1 with errno set on failure.
int StatLongPath(const std::string &path, struct stat &status);
