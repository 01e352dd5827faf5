#pragma once

#include <QObject>
#include <QString>

namespace zandrel {

// Opens a folder in the desktop's file manager, and says when that failed. Where the desktop opens
// files with xdg-open (as Qt itself would), it runs that and watches it: xdg-open that finds no file
// manager ends at once with an error, while Qt would call its start a success. Elsewhere it asks Qt
// (QDesktopServices). A file manager that xdg-open runs in the foreground outlives the program: at
// the end only xdg-open's shell is stopped. UI thread.
class CFolderOpener : public QObject {
    Q_OBJECT
public:
    // An xdg-open that ends with an error later than this has opened something (and the error is
    // the file manager's, after the streamer closed it): no failure then.
    static constexpr int kFailureWithinMs = 10000;

    using QObject::QObject;
    void Open(const QString& folder);
    // How many xdg-open runs have not ended yet.
    int Pending() const { return m_nPending; }

signals:
    // The folder could not be shown, now or a moment later.
    void failed(const QString& folder);

private:
    int m_nPending = 0;
};

}  // namespace zandrel
