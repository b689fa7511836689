#include "app/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcTranslations, "quorel.app.translations")

namespace {

const QString kCatalogFolder = QStringLiteral(":/i18n");
const QString kCatalogPrefix = QStringLiteral("quorel-panel_");

QString catalogPath(const QString& language)
{
    return kCatalogFolder + QLatin1Char('/') + kCatalogPrefix + language + QStringLiteral(".qm");
}

} // namespace

QString Translations::catalogLanguage(const QLocale& locale)
{
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        // QTranslator would skip English, having no catalog for it, and
        // take the user's second language instead.
        if (language == QLatin1String("C") || language == QLatin1String("en")
            || language.startsWith(QLatin1String("en_")))
            return {};
        // "zh_Hans_CN" tries "zh_Hans", then "zh"; "de_AT" tries "de".
        for (QString candidate = language; !candidate.isEmpty();
             candidate.truncate(qMax(0, int(candidate.lastIndexOf(QLatin1Char('_')))))) {
            if (QFile::exists(catalogPath(candidate)))
                return candidate;
        }
    }
    return {};
}

Translations::Translations(const QLocale& locale)
    : m_language(catalogLanguage(locale))
{
    if (m_language.isEmpty())
        return;
    if (!m_panel.load(catalogPath(m_language))) {
        qCWarning(lcTranslations, "the catalog for %s cannot be read", qUtf8Printable(m_language));
        m_language.clear();
        return;
    }
    QCoreApplication::installTranslator(&m_panel);
    // Qt's own catalogs come with the system (Debian's qt6-translations-l10n);
    // without them Qt's dialogs stay in English and the panel works as before.
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (m_qt.load(QLocale(m_language), QStringLiteral("qtbase"), QStringLiteral("_"), qtFolder))
        QCoreApplication::installTranslator(&m_qt);
    else
        qCInfo(lcTranslations, "no Qt catalog for %s in %s; Qt's own texts stay in English",
               qUtf8Printable(m_language), qUtf8Printable(qtFolder));
}

Translations::~Translations()
{
    QCoreApplication::removeTranslator(&m_qt);
    QCoreApplication::removeTranslator(&m_panel);
}
