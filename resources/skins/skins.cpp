#include "skins.h"

namespace veltranix {

QString skinPath(QStringView name) {
    return QStringLiteral(":/skins/%1.svg").arg(name);
}

}  // namespace veltranix
