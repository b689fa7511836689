#include "doctor/DiagnosticsDialog.h"

#include "doctor/Doctor.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <utility>

Q_LOGGING_CATEGORY(lcDoctor, "quorel.doctor")

namespace {

// The window's light text is inherited: the dialog takes the linking
// sheet's graphite panel to carry it.
const char* const kStyleSheet = R"(
QDialog#DiagnosticsPanel { background: #262b31; }
QDialog#DiagnosticsPanel QLabel { font-size: 11pt; font-weight: 600; }
QDialog#DiagnosticsPanel QPlainTextEdit { background: #1b1f24; color: #e7eaee; border: 1px solid #3a414c; border-radius: 6px; }
QDialog#DiagnosticsPanel QPushButton { color: #e7eaee; background: #3a4048; border: 1px solid #4a525c; border-radius: 8px; padding: 4px 12px; font-weight: 600; }
QDialog#DiagnosticsPanel QPushButton:hover { background: #454c55; }
QDialog#DiagnosticsPanel QPushButton:disabled { color: #6c747d; background: #2c3137; border-color: #363c43; }
)";

} // namespace

DiagnosticsDialog::DiagnosticsDialog(std::shared_ptr<Doctor> doctor, QWidget* window)
    : QDialog(window)
{
    setObjectName(QStringLiteral("DiagnosticsPanel"));
    setStyleSheet(QString::fromLatin1(kStyleSheet));
    setWindowTitle(tr("Diagnostics"));
    setWindowModality(Qt::WindowModal);
    m_status = new QLabel(tr("checking…"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMinimumSize(640, 320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_copy = buttons->addButton(tr("Copy report"), QDialogButtonBox::ActionRole);
    m_copy->setEnabled(false);
    connect(m_copy, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(m_report.toText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    start(std::move(doctor));
}

DiagnosticsDialog* DiagnosticsDialog::openOver(QWidget* window, const QDBusConnection& session)
{
    // Qt's own tray check reads the platform's state: main thread only.
    auto* dialog = new DiagnosticsDialog(Doctor::standard({session, QSystemTrayIcon::isSystemTrayAvailable()}), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void DiagnosticsDialog::start(std::shared_ptr<Doctor> doctor)
{
    // The dialog may be closed before the checks end; the report is then
    // dropped.
    m_checks.ask(
        this, [doctor = std::move(doctor)] { return doctor->run(); },
        [](DiagnosticsDialog* dialog, const DoctorReport& report) { dialog->showReport(report); });
}

void DiagnosticsDialog::showReport(const DoctorReport& report)
{
    m_report = report;
    m_checking = false;
    // Into the log too, for a bug report written from the journal: the
    // outcome of each check by its id, in English whatever the window's
    // language (`quorel-panel --doctor --json` gives the details so).
    QStringList outcomes;
    for (const DoctorCheck& check : report.checks)
        outcomes << DoctorReport::statusName(check.outcome) + QLatin1Char(' ') + check.id;
    qCInfo(lcDoctor).noquote() << "diagnostics:" << outcomes.join(QStringLiteral(", "));
    m_status->setText(report.passed() ? tr("Every check passed.")
                                      : tr("Something is wrong; each failed check says what to do."));
    m_text->setPlainText(report.toText());
    m_copy->setEnabled(true);
    emit reportReady();
}
