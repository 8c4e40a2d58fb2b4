// The program's own pictures, compiled into the library.
#pragma once

namespace pellimar {

// Registers the pictures; the library is static, so this must run before the
// first ":/pellimar/..." path is used. Safe to call more than once.
void initResources();

}  // namespace pellimar
