#include "platform/Regional.h"

namespace platform {

QLocale regionalLocale()
{
    QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

} // namespace platform
