#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

// The scenes as the session interface passes them: application → preset
// (D-Bus a{ss}). Registered with Qt D-Bus by registerSceneMap().
using SceneMap = QMap<QString, QString>;

void registerSceneMap();
