#include "doctor/DiagnosticsDialog.h"

#include "doctor/Doctor.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QThread>
#include <QVBoxLayout>

#include <utility>

Q_LOGGING_CATEGORY(lcDoctor, "quorel.doctor")

DiagnosticsDialog::DiagnosticsDialog(std::shared_ptr<Doctor> doctor, QWidget* window)
    : QDialog(window)
{
    setWindowTitle(QStringLiteral("Diagnostics"));
    setWindowModality(Qt::WindowModal);
    m_status = new QLabel(QStringLiteral("checking…"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMinimumSize(640, 320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_copy = buttons->addButton(QStringLiteral("Copy report"), QDialogButtonBox::ActionRole);
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
    // dropped. Only the main thread looks through the pointer.
    QPointer<DiagnosticsDialog> self(this);
    QThread* thread = QThread::create([doctor = std::move(doctor), self] {
        const DoctorReport report = doctor->run();
        // Runs on the main thread.
        QMetaObject::invokeMethod(
            qApp,
            [self, report] {
                if (self)
                    self->showReport(report);
            },
            Qt::QueuedConnection);
    });
    thread->setObjectName(QStringLiteral("doctor"));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void DiagnosticsDialog::showReport(const DoctorReport& report)
{
    m_report = report;
    m_checking = false;
    // Into the log too, for a bug report written from the journal.
    qCInfo(lcDoctor).noquote() << "diagnostics:\n" + report.toText().trimmed();
    m_status->setText(report.passed() ? QStringLiteral("Every check passed.")
                                      : QStringLiteral("Something is wrong; each failed check says what to do."));
    m_text->setPlainText(report.toText());
    m_copy->setEnabled(true);
    emit reportReady();
}
