#include "session/SceneMap.h"

#include <QDBusMetaType>

void registerSceneMap()
{
    qDBusRegisterMetaType<SceneMap>();
}
