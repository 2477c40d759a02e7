#pragma once

#include <QObject>

class QPushButton;

// Makes Enter and the keypad's Enter press the push button that has the focus, as Space does.
// Qt leaves both keys to the button's parent unless the button is a dialog's default.
class EnterPressesButton final : public QObject {
public:
    // Watches the button; the filter belongs to the button and goes with it.
    static void install(QPushButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
