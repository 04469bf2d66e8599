#include "app/CDlgAbout.h"

#include "diag/Version.h"
#include "link/ui/UnitPicture.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

QString CDlgAbout::BuiltText()
{
    return QString::asprintf("Built: %s %s", __DATE__, __TIME__);
}

QString CDlgAbout::VersionText()
{
    return QString::asprintf("Version: %s", TavemoVersion());
}

CDlgAbout::CDlgAbout(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->setHorizontalSpacing(22);
    layout->setVerticalSpacing(10);

    auto* picture = new QLabel(this);
    picture->setPixmap(UnitPicture::Draw(128, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture->setAccessibleName(QStringLiteral("Product picture"));
    layout->addWidget(picture, 0, 0, 3, 1);

    auto* title = new QLabel(QStringLiteral("<b style='font-size:large'>Tavemo-ConfigurationTool</b><br>"
                                            "Service tool for ORVELANT room operating units"),
                             this);
    layout->addWidget(title, 0, 1);

    auto* contact =
        new QLabel(QStringLiteral("Tavemo Building Controls<br>"
                                  "Technical service and commissioning support<br>"
                                  "Ask your distributor for the service contact in your country."),
                   this);
    contact->setObjectName(QStringLiteral("contact"));
    layout->addWidget(contact, 1, 1);

    auto* build = new QLabel(BuiltText() + QStringLiteral("\n") + VersionText(), this);
    build->setObjectName(QStringLiteral("build"));
    build->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(build, 2, 1);

    auto* disclaimer =
        new QLabel(QStringLiteral("This software is provided \"as is\", without warranty of any kind. "
                                  "Settings written with it take effect on the unit at once; check the "
                                  "configuration of every unit before putting it into service."),
                   this);
    disclaimer->setWordWrap(true);
    disclaimer->setMinimumWidth(380);
    QFont small = disclaimer->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    disclaimer->setFont(small);
    layout->addWidget(disclaimer, 3, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 4, 0, 1, 2);
    setFixedSize(sizeHint());
}
