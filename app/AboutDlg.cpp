#include "app/AboutDlg.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "overlay/DialogUnits.h"

namespace zandrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("About Zandrel"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(DialogSize(170, 62));

    auto* icon = new QLabel(this);
    const QRect iconRect = DialogRect(14, 14, 21, 20);
    icon->setGeometry(iconRect);
    icon->setPixmap(QApplication::windowIcon().pixmap(iconRect.size()));

    // The whole version, as --version and the package give it, from the project's one version.
    // The two lines of text are 10 units tall: at 8 the descenders of this font are cut.
    auto* name = new QLabel(tr("Zandrel, Version %1").arg(QStringLiteral(ZANDREL_VERSION)), this);
    name->setGeometry(DialogRect(42, 13, 114, 10));
    auto* copyright = new QLabel(tr("Copyright (C) 2026"), this);
    copyright->setGeometry(DialogRect(42, 25, 114, 10));

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setGeometry(DialogRect(113, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zandrel
