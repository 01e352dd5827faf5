#include "platform/FolderOpener.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zandrel {

void CFolderOpener::Open(const QString& folder)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
            emit failed(folder);
        return;
    }
    // The process is this object's child until it ends; the folder travels as an argument, never
    // through a shell.
    auto* process = new QProcess(this);
    process->setProgram(xdgOpen);
    process->setArguments({folder});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer started;
    started.start();
    connect(process, &QProcess::errorOccurred, this, [this, process, folder](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            --m_nPending;
            emit failed(folder);
            process->deleteLater();
        }
    });
    connect(process, &QProcess::finished, this,
            [this, process, folder, started](int exitCode, QProcess::ExitStatus status) {
                --m_nPending;
                if (status == QProcess::NormalExit && exitCode != 0 && started.elapsed() < kFailureWithinMs)
                    emit failed(folder);
                process->deleteLater();
            });
    ++m_nPending;
    process->start();
}

}  // namespace zandrel
