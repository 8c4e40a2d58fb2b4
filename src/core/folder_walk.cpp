#include "core/folder_walk.h"

#include "core/settings.h"

namespace pellimar {

FileKinds fileKindsOf(const AppSettings& s) {
    return {s.importExe, s.importDll, s.importIco, s.importIcl};
}

}  // namespace pellimar
