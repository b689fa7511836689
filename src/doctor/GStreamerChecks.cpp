#include "doctor/GStreamerChecks.h"

#include "transport/GstSupport.h"

#include <gst/gst.h>

namespace {

struct Element {
    const char* name;
    const char* role;
    const char* package;
};

constexpr Element kElements[] = {
    {"pulsesrc", QT_TRANSLATE_NOOP("GStreamerChecks", "records from the sound server"), "gstreamer1.0-plugins-good"},
    {"avenc_aac", QT_TRANSLATE_NOOP("GStreamerChecks", "encodes recordings as AAC"), "gstreamer1.0-libav"},
    {"aacparse", QT_TRANSLATE_NOOP("GStreamerChecks", "frames the AAC recordings"), "gstreamer1.0-plugins-good"},
    {"playbin", QT_TRANSLATE_NOOP("GStreamerChecks", "plays files back"), "gstreamer1.0-plugins-base"},
};

} // namespace

std::vector<DoctorCheck> GStreamerChecks::run()
{
    ensureGstInitialized();
    std::vector<DoctorCheck> checks;
    for (const Element& element : kElements) {
        const QString id = QStringLiteral("gstreamer.%1").arg(QLatin1String(element.name));
        const QString title = tr("GStreamer element %1 (%2)").arg(QLatin1String(element.name), tr(element.role));
        if (GstElementFactory* factory = gst_element_factory_find(element.name)) {
            GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
            const char* file = plugin ? gst_plugin_get_filename(plugin) : nullptr;
            checks.push_back(DoctorCheck::pass(id, title, file ? QString::fromUtf8(file) : QStringLiteral("present")));
            if (plugin)
                gst_object_unref(plugin);
            gst_object_unref(factory);
            continue;
        }
        checks.push_back(
            DoctorCheck::fail(id, title, tr("GStreamer has no element %1").arg(QLatin1String(element.name)),
                              tr("Install it with 'sudo apt-get install %1'.").arg(QLatin1String(element.package))));
    }
    return checks;
}
