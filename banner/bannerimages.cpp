#include "banner/bannerimages.h"

#include <QtGlobal>

static void initBannerQrc()
{
    Q_INIT_RESOURCE(banner);
}

void initBannerResources()
{
    static const bool done = (initBannerQrc(), true);
    Q_UNUSED(done);
}
