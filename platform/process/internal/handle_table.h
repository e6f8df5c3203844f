// The process's table of kernel object handles (processes and threads for now).
//
// A handle names a slot and the slot's generation: closing bumps the generation, so a closed
// handle stays invalid even after its slot is reused. Values are multiples of 4 above zero, so
// never null nor INVALID_HANDLE_VALUE.
#pragma once

#include "platform/base/base.h"

#include <memory>

namespace velmar::process {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// A new handle for the object; null (ERROR_NOT_ENOUGH_MEMORY) when the table is full.
HANDLE insertHandle(std::shared_ptr<KernelObject> object);

// The object a handle names, or null for an invalid or closed handle.
std::shared_ptr<KernelObject> objectOf(HANDLE handle);

// Removes the handle; false when it was not valid. The object goes with its last handle.
bool removeHandle(HANDLE handle);

} // namespace velmar::process
