#pragma once

#include <QDialog>

namespace zandrel {

// The about box: the icon, "Zandrel, Version 1.0.0.1" (the whole version of the build, the one
// --version and the package give) and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace zandrel
