#pragma once

#include "base/WorkQueue.h"
#include "doctor/DoctorReport.h"

#include <QDBusConnection>
#include <QDialog>

#include <memory>

class Doctor;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The doctor's report in the window: modal to the window, it says
// "checking…" while the checks run on a thread of their own, then shows
// one line a check with a button that copies the report as text. Main
// thread.
class DiagnosticsDialog : public QDialog {
    Q_OBJECT

public:
    DiagnosticsDialog(std::shared_ptr<Doctor> doctor, QWidget* window);

    // Opens a dialog over `window` (deleted when closed) with the standard
    // checks, the panel's own bus connection telling it apart from another
    // panel.
    static DiagnosticsDialog* openOver(QWidget* window, const QDBusConnection& session);

    bool isChecking() const { return m_checking; }
    QString reportText() const { return m_report.toText(); }
    QPushButton* copyButton() const { return m_copy; }

signals:
    void reportReady();

private:
    void start(std::shared_ptr<Doctor> doctor);
    void showReport(const DoctorReport& report);

    QLabel* m_status = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_copy = nullptr;
    DoctorReport m_report;
    bool m_checking = true;
    // Dropped with the dialog; the checks under way still end there.
    WorkQueue m_checks{QStringLiteral("doctor")};
};
