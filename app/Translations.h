#pragma once

#include <QLocale>
#include <QTranslator>

namespace zandrel {

// The program speaks one language: its texts are Chinese, and where the user's language is Chinese
// so are Qt's own (the "OK" of a box, the menus of a text field) and the program's few English
// ones (the about box and its menu entry). Elsewhere those stay English. Installed for as long
// as this lives. UI thread, once the application object exists.
class CTranslations {
public:
    explicit CTranslations(const QLocale& locale = QLocale::system());
    ~CTranslations();
    CTranslations(const CTranslations&) = delete;
    CTranslations& operator=(const CTranslations&) = delete;

    // Whether Qt's own texts (qtbase) and the program's were found and installed.
    bool QtInstalled() const { return m_qtInstalled; }
    bool OwnInstalled() const { return m_ownInstalled; }

private:
    QTranslator m_qt;
    QTranslator m_own;
    bool m_qtInstalled = false;
    bool m_ownInstalled = false;
};

}  // namespace zandrel
