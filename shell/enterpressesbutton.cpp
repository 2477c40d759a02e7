#include "shell/enterpressesbutton.h"

#include <QKeyEvent>
#include <QPushButton>

void EnterPressesButton::install(QPushButton *button)
{
    button->installEventFilter(new EnterPressesButton(button));
}

bool EnterPressesButton::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // Ctrl+Enter and the like stay shortcuts; the keypad's Enter carries the keypad flag.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto *button = static_cast<QPushButton *>(watched);
    if (!key->isAutoRepeat())
        button->click();
    return true;
}
