#pragma once

#include "session/PanelService.h"

#include <QList>
#include <QObject>
#include <QVariantMap>

#include <algorithm>

// Collects the PropertiesChanged signals a bus client sees.
class PropertiesWatcher : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    // Whether some signal so far carried `name` with `value`.
    bool saw(const QString& name, const QVariant& value) const
    {
        return std::any_of(changes.cbegin(), changes.cend(), [&](const QVariantMap& change) {
            return change.contains(name) && change.value(name) == value;
        });
    }

public slots:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList&)
    {
        if (interface == PanelService::kInterface)
            changes.append(properties);
    }
};
