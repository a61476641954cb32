#pragma once
// One motor panel (thruster or wave generator): the power toggle switches the
// relay on module 9, the slide sets the speed on the panel's analog output,
// and the numeric box moves the slide. A value typed into the box reaches the
// module once, through the slide.

#include <QObject>
#include <QString>

namespace corvale {

class ModuleOps;
class NumericBox;
class Slide;
class ToggleButton;

class MotorPanel : public QObject {
    Q_OBJECT
public:
    // relayPosition: "02" thruster, "04" wave generator; speedAddress: "0"
    // thruster, "3" wave generator.
    MotorPanel(ToggleButton* power, Slide* speed, NumericBox* entry, ModuleOps& modules,
               const QString& relayPosition, const QString& speedAddress);

    void PowerChanged();
    void SpeedChanged();
    void EntryChanged();

private:
    ToggleButton* power_;
    Slide* speed_;
    NumericBox* entry_;
    ModuleOps& modules_;
    QString relayPosition_;
    QString speedAddress_;
};

} // namespace corvale
