#pragma once

#include <functional>

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>
#include <QWidget>

#include "app/AppSettings.h"

namespace zandrel {

// The settings box's page for the chat log: on or off, how many days its files are kept, and where
// they are. UI thread.
class CLogPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("聊天记录");

    CLogPage(const AppSettings& settings, const QString& folder, std::function<void()> openFolder,
             QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;
    QCheckBox& Enabled() { return m_enabled; }
    QSpinBox& KeepDays() { return m_keepDays; }

signals:
    void changed();

private:
    QCheckBox m_enabled;
    QSpinBox m_keepDays;
};

}  // namespace zandrel
