#pragma once

#include <QCheckBox>
#include <QSpinBox>
#include <QWidget>

#include "app/AppSettings.h"
#include "app/ColourButton.h"

namespace zandrel {

// The settings box's page for gifts that stand out and merged repeats. UI thread.
class CGiftsMergePage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("礼物与合并");

    explicit CGiftsMergePage(const AppSettings& settings, QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;

    QCheckBox& GiftsStandOut() { return m_giftsStandOut; }
    CColourButton& GiftColour() { return m_giftColour; }
    QCheckBox& Merge() { return m_merge; }
    QSpinBox& MergeSeconds() { return m_mergeSeconds; }

signals:
    void changed();

private:
    QCheckBox m_giftsStandOut;
    CColourButton m_giftColour;
    QCheckBox m_merge;
    QSpinBox m_mergeSeconds;
};

}  // namespace zandrel
