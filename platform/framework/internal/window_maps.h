// The calling thread's window bookkeeping, shared by the framework's window sources.
#pragma once

#include "platform/framework/framework.h"

namespace velmar::framework {

// The thread's idle time: its temporary window objects go, unless a framework message handler
// is still running on the thread (it may hold some).
void idleTime();

// The CDialog whose window is being made on this thread: the framework's dialog procedure
// binds it to the first window it sees that has no object yet.
CDialog*& pendingDialog();

} // namespace velmar::framework
