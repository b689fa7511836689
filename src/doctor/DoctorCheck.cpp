#include "doctor/DoctorCheck.h"

#include <utility>

DoctorCheck DoctorCheck::pass(QString id, QString title, QString detail)
{
    return {std::move(id), std::move(title), Outcome::Pass, std::move(detail), {}, {}};
}

DoctorCheck DoctorCheck::skip(QString id, QString title, QString why)
{
    return {std::move(id), std::move(title), Outcome::Skip, std::move(why), {}, {}};
}

DoctorCheck DoctorCheck::warn(QString id, QString title, QString cause, QString fix)
{
    return {std::move(id), std::move(title), Outcome::Warn, {}, std::move(cause), std::move(fix)};
}

DoctorCheck DoctorCheck::fail(QString id, QString title, QString cause, QString fix)
{
    return {std::move(id), std::move(title), Outcome::Fail, {}, std::move(cause), std::move(fix)};
}
