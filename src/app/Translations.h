#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// The user's language for every text the panel shows: the panel's own
// catalog (compiled in under :/i18n) and Qt's for its dialogs and the
// command line's help. English is the source language, so an English user,
// or one whose languages have no catalog, keeps the texts as written.
// Installed on the running application while it lives; needs one.
class Translations {
public:
    explicit Translations(const QLocale& locale = QLocale::system());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // The catalog's language ("de", "zh_CN"), empty for English.
    QString language() const { return m_language; }

    // The first of the locale's languages (LANGUAGE, then LC_ALL,
    // LC_MESSAGES, LANG for the system's) the panel has a catalog for;
    // empty when English comes first or none has one.
    static QString catalogLanguage(const QLocale& locale);

private:
    QString m_language;
    QTranslator m_panel;
    QTranslator m_qt;
};
