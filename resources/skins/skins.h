#pragma once

#include <QString>
#include <QStringView>

namespace veltranix {

// The resource path of a window skin, ":/skins/<name>.svg"; name is the
// bitmap name the windows use ("PAUSE", "Boto3", ...).
QString skinPath(QStringView name);

}  // namespace veltranix
