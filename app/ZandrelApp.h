#pragma once

#include <memory>

#include <QApplication>

#include "app/Translations.h"

namespace zandrel {

// The application: prepares what Qt and libcurl need, runs the main window modally, and returns
// the process's exit code once it has closed.
class CZandrelApp {
public:
    CZandrelApp(int& argc, char** argv);
    ~CZandrelApp();
    CZandrelApp(const CZandrelApp&) = delete;
    CZandrelApp& operator=(const CZandrelApp&) = delete;

    int Run();

private:
    QApplication m_app;
    std::unique_ptr<CTranslations> m_translations;  // once the application reads the locale
};

}  // namespace zandrel
