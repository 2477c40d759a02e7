#pragma once

#include <functional>

class QObject;

// Runs the action from the event loop once no mouse button is held: at its next turn when none
// is, otherwise right after the release has been handled, and with it the click the release
// completes. Nothing runs when the context is destroyed first.
void whenMouseReleased(QObject *context, std::function<void()> action);
