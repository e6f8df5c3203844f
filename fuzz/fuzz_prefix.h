// The private machine prefix of a fuzz run.
#pragma once

#include <string>

namespace velmar::fuzz {

// Points VELMAR_PREFIX and TMPDIR at fresh folders below one new temporary folder, so that a
// run never touches a user's settings or files; the first call does it, later ones return the
// same folder. The folder goes when the process exits normally.
const std::string& privateFolder();

} // namespace velmar::fuzz
