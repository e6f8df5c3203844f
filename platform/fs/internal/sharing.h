// Sharing of open files between processes, as Windows' share modes decide it.
//
// A file opened without sharing must fail while anybody else has it open. Linux has no share
// modes, so the test looks at what is really open on the machine: every process's
// descriptors under /proc/<pid>/fd (all processes for root, the user's own otherwise) and the
// file locks of /proc/locks (every user's). A handle opened here without sharing also holds an
// open-file-description write lock, so that opens with sharing fail while it is held.
#pragma once

#include "platform/base/base.h"

namespace velmar::fs {

// True when a descriptor other than ownFd (in this or another process), or a lock of another
// process, refers to the file that ownFd has open.
bool isOpenElsewhere(int ownFd);

// Marks ownFd as open without sharing: takes an exclusive lock for as long as it is open.
// False when another exclusive holder has the file.
bool holdExclusive(int ownFd);

// True when another descriptor holds the file exclusively (see holdExclusive).
bool isHeldExclusively(int fd);

} // namespace velmar::fs
