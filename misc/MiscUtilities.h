// The whole utility library: one header per subsystem.
#pragma once

#include "misc/diagnostics/diagnostics.h"
#include "misc/dialogs/dialogs.h"
#include "misc/files/files.h"
#include "misc/install/install.h"
#include "misc/process/process.h"
#include "misc/registry/registry.h"
#include "misc/text/text.h"
