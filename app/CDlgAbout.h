// The "Info" box: the product picture, the maker's contact block, the
// build date and time, the version and a disclaimer.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class CDlgAbout : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent = nullptr);

    // "Built: <date> <time>" of this program.
    static QString BuiltText();
    // "Version: <version>".
    static QString VersionText();
};
