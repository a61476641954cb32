#include "core/phswitch.h"

#include "ui/mainwindow.h"
#include "ui/widgets/togglebutton.h"

#include <QLabel>

void WirePhSwitch(frmMain& main, QObject* context) {
    QObject::connect(main.cwbPh, &ToggleButton::valueChanged, context, [&main] {
        if (main.cwbPh->value()) {
            main.state().PhReadingEnabled = true;
            return;
        }
        main.state().PhReadingEnabled = false;
        main.lblmV->setText(QString());
        main.lblpH->setText(QString());
    });
}

void SwitchPhReadingOff(frmMain& main) {
    main.cwbPh->setValue(false);
}
