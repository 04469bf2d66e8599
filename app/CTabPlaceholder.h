// A page whose content is not part of the tool yet: it has its tab caption
// and a short note, and does nothing when activated.
#pragma once

#include "pages/core/ITabPage.h"

#include <QWidget>

class CTabPlaceholder : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    explicit CTabPlaceholder(const QString& caption, QWidget* parent = nullptr);
};
