// The folder walk (platform/folder_walk.h), and the file kinds a scan of the
// window takes from its settings.
#pragma once

#include "platform/folder_walk.h"

namespace pellimar {

struct AppSettings;

FileKinds fileKindsOf(const AppSettings& s);

}  // namespace pellimar
