#include "core/resources.h"

#include <QtGlobal>

static void registerPellimarPictures() {
    Q_INIT_RESOURCE(pellimar);
}

namespace pellimar {

void initResources() {
    static const bool done = (registerPellimarPictures(), true);
    (void)done;
}

}  // namespace pellimar
