#include "doctor/DoctorReport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

bool DoctorReport::passed() const
{
    return std::none_of(checks.begin(), checks.end(),
                        [](const DoctorCheck& check) { return check.outcome == DoctorCheck::Outcome::Fail; });
}

QString DoctorReport::statusName(DoctorCheck::Outcome outcome)
{
    switch (outcome) {
    case DoctorCheck::Outcome::Pass:
        return QStringLiteral("pass");
    case DoctorCheck::Outcome::Warn:
        return QStringLiteral("warn");
    case DoctorCheck::Outcome::Fail:
        return QStringLiteral("fail");
    case DoctorCheck::Outcome::Skip:
        break;
    }
    return QStringLiteral("skip");
}

QString DoctorReport::toText() const
{
    QString text;
    for (const DoctorCheck& check : checks) {
        const QString status = statusName(check.outcome).toUpper().leftJustified(6);
        if (check.outcome == DoctorCheck::Outcome::Warn || check.outcome == DoctorCheck::Outcome::Fail)
            text += QCoreApplication::translate("DoctorReport", "%1%2: %3. %4\n")
                        .arg(status, check.title, check.cause, check.fix);
        else
            text += QCoreApplication::translate("DoctorReport", "%1%2: %3\n").arg(status, check.title, check.detail);
    }
    const auto failed = std::count_if(checks.begin(), checks.end(),
                                      [](const DoctorCheck& c) { return c.outcome == DoctorCheck::Outcome::Fail; });
    text += failed == 0 ? QCoreApplication::translate("DoctorReport", "All checks passed.\n")
                        : QCoreApplication::translate("DoctorReport", "%1 of %2 checks failed.\n")
                              .arg(failed)
                              .arg(checks.size());
    return text;
}

QByteArray DoctorReport::toJson() const
{
    QJsonArray list;
    for (const DoctorCheck& check : checks) {
        list.append(QJsonObject{{QStringLiteral("id"), check.id},
                                {QStringLiteral("title"), check.title},
                                {QStringLiteral("status"), statusName(check.outcome)},
                                {QStringLiteral("detail"), check.detail},
                                {QStringLiteral("cause"), check.cause},
                                {QStringLiteral("fix"), check.fix}});
    }
    const QJsonObject root{{QStringLiteral("program"), QStringLiteral("quorel-panel")},
                           {QStringLiteral("version"), QCoreApplication::applicationVersion()},
                           {QStringLiteral("passed"), passed()},
                           {QStringLiteral("checks"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
