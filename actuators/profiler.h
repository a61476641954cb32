#pragma once
// The vertical profiler: cwVP switches its power relay (module 9, position
// 03); the two direction buttons drive module 2 at 5000 up (+) or down (-)
// while on and stop it when switched off, each locking the other out.

#include <QObject>

namespace corvale {

class ModuleOps;
class ToggleButton;

class ProfilerControl : public QObject {
    Q_OBJECT
public:
    ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down, ModuleOps& modules);

    void PowerChanged();
    void UpChanged();
    void DownChanged();

private:
    void Drive(ToggleButton* button, ToggleButton* other, const QString& sign);

    ToggleButton* power_;
    ToggleButton* up_;
    ToggleButton* down_;
    ModuleOps& modules_;
};

} // namespace corvale
