#include "transport/QtFilePanels.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// QFileDialog chooses either files or directories; this one also takes
// the selected directory when "Open" is pressed on it, while a
// double-click still enters the directory.
class ItemDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    bool canChooseDirectories = false;
    QString chosenDirectory;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (canChooseDirectories && files.size() == 1 && QFileInfo(files.first()).isDir()
            && QFileInfo(files.first()) != QFileInfo(directory().absolutePath())) {
            chosenDirectory = files.first();
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

QtFilePanels::QtFilePanels(QWidget* parent)
    : m_parent(parent)
{
}

PanelResult QtFilePanels::runOpenPanel(const OpenPanelOptions& options)
{
    ItemDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.canChooseDirectories = options.canChooseDirectories;
    if (!options.canChooseFiles)
        dialog.setFileMode(QFileDialog::Directory);
    else
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (options.canChooseDirectories && options.canChooseFiles)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.chosenDirectory.isEmpty() ? dialog.selectedFiles().value(0) : dialog.chosenDirectory;
    if (chosen.isEmpty())
        return {};
    return {true, QUrl::fromLocalFile(chosen)};
}

PanelResult QtFilePanels::runSavePanel(const SavePanelOptions& options)
{
    QFileDialog dialog(m_parent, options.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::FileName, options.message);
    if (!options.allowedFileTypes.isEmpty()) {
        QStringList patterns;
        for (const QString& type : options.allowedFileTypes)
            patterns << QStringLiteral("*.") + type;
        dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(options.allowedFileTypes.join(QLatin1Char(' ')).toUpper(),
                                                            patterns.join(QLatin1Char(' '))));
        dialog.setDefaultSuffix(options.allowedFileTypes.first());
    }
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty())
        return {};
    // A typed name with another extension still gets an allowed one. The
    // dialog asked about replacing the name as typed, so a file under the
    // completed name is asked about here.
    if (!options.allowedFileTypes.isEmpty()
        && !options.allowedFileTypes.contains(QFileInfo(chosen).suffix(), Qt::CaseInsensitive)) {
        chosen += QLatin1Char('.') + options.allowedFileTypes.first();
        if (QFileInfo::exists(chosen)
            && QMessageBox::warning(m_parent, options.title,
                                    QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                        .arg(QFileInfo(chosen).fileName()),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                   != QMessageBox::Yes)
            return {};
    }
    return {true, QUrl::fromLocalFile(chosen)};
}
